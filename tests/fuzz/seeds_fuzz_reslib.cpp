// Writes a few small, valid resource libraries into the folder given as the only argument:
// the fuzzer starts from well-formed trees instead of having to discover the PE layout.

#include "resourcelibrary.h"

#include <QFile>
#include <QString>
#include <cstdio>

using namespace zelan::reslib;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_fuzz_reslib <corpus folder>\n");
        return 2;
    }
    ResourceLibraryContent pictures;
    pictures.rcData.insert(174, QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
    pictures.rcData.insert(175, QByteArray("BM\x3A\x00\x00\x00", 6));
    pictures.rcData.insert(538, QByteArray());
    ResourceLibraryContent strings;
    strings.language = 0x0419;
    strings.strings.insert(0, QStringLiteral("zero"));
    strings.strings.insert(132, QStringLiteral("Во имя Аллаха"));
    strings.strings.insert(153, QStringLiteral("بسم الله"));
    ResourceLibraryContent both = pictures;
    both.strings = strings.strings;

    const struct {
        const char* name;
        ResourceLibraryContent content;
        bool pe32plus;
    } seeds[] = {
        {"pictures-pe32plus.dll", pictures, true},
        {"strings-pe32.dll", strings, false},
        {"both-pe32plus.dll", both, true},
    };
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const auto& seed : seeds) {
        QFile file(folder + u'/' + QLatin1String(seed.name));
        const QByteArray bytes = writeResourceLibrary(seed.content, seed.pe32plus);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "seeds_fuzz_reslib: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
