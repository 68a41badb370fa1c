// reslibtool dump <dll>
// reslibtool make <out.dll> [--pe32] [--lang=<id>] <id>=<file> ... str:<id>=<text> ...
//
// A developer's look into a picture library, and a quick way to make one by hand.

#include "resourcelibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

using namespace zelan::reslib;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

int usage() {
    err << "usage: reslibtool dump <dll>\n"
           "       reslibtool make <out.dll> [--pe32] [--lang=<id>] <id>=<file> ... str:<id>=<text> ...\n";
    return 2;
}

QString kind(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("JPEG");
    if (bytes.startsWith("BM"))
        return QStringLiteral("BMP");
    return QStringLiteral("other");
}

int dump(const QString& path) {
    QString error;
    const auto lib = ResourceLibrary::load(path, &error);
    if (!lib) {
        err << error << '\n';
        return 1;
    }
    // The library has no listing of its ids; integer resource ids are 16 bits, so ask for all.
    for (int id = 0; id <= 0xFFFF; ++id)
        if (const auto bytes = lib->rcData(id))
            out << "RCDATA " << id << ": " << bytes->size() << " bytes, " << kind(*bytes) << '\n';
    for (int id = 0; id <= 0xFFFF; ++id)
        if (const auto text = lib->string(id); text && !text->isEmpty())
            out << "string " << id << ": " << *text << '\n';
    return 0;
}

bool parseId(const QString& text, int& id) {
    bool ok = false;
    id = text.toInt(&ok);
    return ok && id >= 0 && id <= 0xFFFF;
}

int make(const QStringList& args) {
    const QString target = args.value(0);
    ResourceLibraryContent content;
    bool pe32plus = true;
    for (const QString& arg : args.mid(1)) {
        const qsizetype eq = arg.indexOf(u'=');
        int id = 0;
        if (arg == QLatin1String("--pe32")) {
            pe32plus = false;
        } else if (arg.startsWith(QLatin1String("--lang="))) {
            bool ok = false;
            const uint language = arg.mid(7).toUInt(&ok, 0);
            if (!ok || language > 0xFFFF)
                return usage();
            content.language = quint16(language);
        } else if (arg.startsWith(QLatin1String("str:")) && eq > 4 && parseId(arg.mid(4, eq - 4), id)) {
            content.strings.insert(id, arg.mid(eq + 1));
        } else if (eq > 0 && parseId(arg.left(eq), id)) {
            QFile file(arg.mid(eq + 1));
            if (!file.open(QIODevice::ReadOnly)) {
                err << file.fileName() << ": " << file.errorString() << '\n';
                return 1;
            }
            content.rcData.insert(id, file.readAll());
        } else {
            err << "reslibtool: cannot understand '" << arg << "'\n";
            return usage();
        }
    }
    const QByteArray dll = writeResourceLibrary(content, pe32plus);
    if (dll.isEmpty()) {
        err << "reslibtool: cannot store this: a text longer than 65535 UTF-16 units, or over 2 GB of files\n";
        return 1;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(dll) != dll.size() || !file.commit()) {
        err << target << ": " << file.errorString() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("dump"))
        return dump(args[1]);
    if (args.size() >= 2 && args[0] == QLatin1String("make"))
        return make(args.mid(1));
    return usage();
}
