// The user guides and the design pictures: the guides are real UTF-8 files that show every
// button of the main and start windows by a picture that exists, and the design pictures
// have the sizes and the openings the windows place their controls in.

#include "testmain.h"

#include "designpictures.h"
#include "interfaceart.h"
#include "picturedecoding.h"
#include "userguides.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <map>

using namespace zelan::datagen;

class TestGuides : public QObject {
    Q_OBJECT

    QTemporaryDir m_program;
    bool m_written = false;
    QString m_error;

    QString guidePath(const QString& language) const {
        return language == QLatin1String("ara") ? m_program.filePath(QStringLiteral("doc/ara/userguide.htm"))
                                                : m_program.filePath(QStringLiteral("doc/rus/userguide_RU.htm"));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_program.isValid());
        m_written = writeUserGuides(m_program.path(), &m_error);
    }

    void guides_data() {
        QTest::addColumn<QString>("language");
        QTest::addRow("arabic") << QStringLiteral("ara");
        QTest::addRow("russian") << QStringLiteral("rus");
    }

    // Each guide is valid UTF-8 HTML, every picture it refers to exists as a PNG beside it,
    // and it shows every button of the main and the start window.
    void guides() {
        QFETCH(QString, language);
        QVERIFY2(m_written, qPrintable(m_error));
        QFile file(guidePath(language));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString html = decoder.decode(bytes);
        QVERIFY(!decoder.hasError());
        QVERIFY(html.contains(QLatin1String("<html")));
        QVERIFY(!html.contains(QLatin1String("<script"), Qt::CaseInsensitive));
        if (language == QLatin1String("ara"))
            QVERIFY(html.contains(QLatin1String("dir=\"rtl\"")));

        QSet<int> ids;
        const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
        for (auto it = img.globalMatch(html); it.hasNext();) {
            const QString src = it.next().captured(1);
            const QString path = QFileInfo(file).dir().filePath(src);
            QImage picture(path);
            QVERIFY2(!picture.isNull(), qPrintable(path));
            const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("^img/b(\\d+)\\.png$")).match(src);
            if (id.hasMatch())
                ids.insert(id.captured(1).toInt());
        }
        for (const int id : {480, 483, 487, 490, 493, 496, 499, 502, 505, 511, 514, 517, 520, 523, 526, 530, 534,
                             327, 328, 466})
            QVERIFY2(ids.contains(id), qPrintable(QStringLiteral("button %1 is not shown").arg(id)));

        // The text layout engine that the help window uses reads the guide and lays it out.
        QTextDocument document;
        document.setHtml(html);
        QVERIFY(document.toPlainText().size() > 2000);
    }

    // The guide's button pictures have exactly the outline the button loader gives them: the
    // colour around the shape is transparent, the shape opaque.
    void guidePicturesMatchButtonLoader_data() { guides_data(); }
    void guidePicturesMatchButtonLoader() {
        QFETCH(QString, language);
        QVERIFY2(m_written, qPrintable(m_error));
        const UiLanguage ui = language == QLatin1String("ara") ? UiLanguage::Arabic : UiLanguage::Russian;
        std::map<int, QImage> library;
        for (const InterfacePicture& p : buttonPictures(ui))
            library[p.id] = p.image;
        for (const int id : {490, 517, 327}) {
            const auto decoded = zelan::ui::decodeButtonBitmap(encodeBmp24(library.at(id)));
            QVERIFY(decoded);
            const QImage written =
                QImage(m_program.filePath(QStringLiteral("doc/%1/img/b%2.png").arg(language).arg(id)))
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(written.size(), decoded->size());
            QCOMPARE(written, decoded->convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }

    void unwritableFolderFails() {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("file"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString error;
        QVERIFY(!writeUserGuides(blocker, &error));
        QVERIFY(error.contains(blocker));
        error.clear();
        QVERIFY(!writeDesignPictures(blocker + QStringLiteral("/design"), &error));
        QVERIFY(error.contains(blocker));
    }

    // Every picture the windows expect is there, at the size their controls give it, and the
    // main window keeps the page box and the translation box open in their paper colours.
    void designPictureSet() {
        std::map<QString, QImage> byName;
        for (auto& [name, image] : designPictures()) {
            QVERIFY2(!image.isNull(), qPrintable(name));
            QVERIFY2(byName.emplace(name, image).second, qPrintable(name + QStringLiteral(" twice")));
        }
        QCOMPARE(byName.size(), size_t(2 + 24 + 6));
        const std::map<QString, QSize> sizes = {
            {QStringLiteral("main_services.png"), {885, 665}}, {QStringLiteral("start_close.png"), {46, 46}},
            {QStringLiteral("credits_background.png"), {410, 367}}, {QStringLiteral("credits_close.png"), {16, 16}},
            {QStringLiteral("currentPage_bt.png"), {30, 30}}, {QStringLiteral("zelan_icon.png"), {256, 256}},
        };
        for (const auto& [name, size] : sizes)
            QCOMPARE(byName.at(name).size(), size);
        const QImage logo = byName.at(QStringLiteral("report_logo.png"));
        QVERIFY(qAbs(logo.width() - 338) <= 2 && qAbs(logo.height() - 340) <= 2);
        QCOMPARE(logo.dotsPerMeterX(), 11811);

        for (const char* name : {"firstSora", "prevSora", "stop", "playAya", "pause", "nextSora", "lastSora",
                                 "prevHalf", "nextHalf", "currentPage", "repeatAya", "playTargama"})
            for (const char* lang : {"ara", "rus"}) {
                const QString file = QStringLiteral("caption_%1_%2.png").arg(QLatin1String(name), QLatin1String(lang));
                QVERIFY2(byName.count(file), qPrintable(file));
                QCOMPARE(byName.at(file).height(), 22);
            }

        const QImage main = byName.at(QStringLiteral("main_services.png"));
        const QRect page(242, 74, 412, 354), translation(119, 572, 661, 65);
        for (const QPoint at : {page.topLeft(), page.bottomRight(), page.center()})
            QCOMPARE(main.pixelColor(at), QColor(254, 255, 241));
        for (const QPoint at : {translation.topLeft(), translation.bottomRight()})
            QCOMPARE(main.pixelColor(at), QColor(255, 255, 237));
        // The frame around the page box is not paper.
        QVERIFY(main.pixelColor(page.left() - 4, page.center().y()) != QColor(254, 255, 241));
        // The clock's yellow text needs a dark ground.
        QVERIFY(main.pixelColor(QPoint(73, 27)).lightness() < 90);
    }

    void writeDesignPicturesSavesEveryPicture() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("design"));
        QString error;
        QVERIFY2(writeDesignPictures(folder, &error), qPrintable(error));
        for (const auto& [name, image] : designPictures()) {
            const QImage read(QDir(folder).filePath(name));
            QVERIFY2(!read.isNull(), qPrintable(name));
            QCOMPARE(read.size(), image.size());
        }
    }
};

ZELAN_TEST_CLASS(TestGuides)
#include "tst_guides.moc"
