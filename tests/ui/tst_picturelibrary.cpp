#include "imagecontrol.h"
#include "messages.h"
#include "picturefixtures.h"
#include "picturelibrary.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelan::ui;
using zelan::reslib::ResourceLibrary;
using zelan::reslib::ResourceLibraryContent;

namespace {

enum PictureId { Caption = 101, Button = 102, CutCaption = 103, NotAPicture = 104, Missing = 999 };

QImage filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray libraryFile() {
    ResourceLibraryContent content;
    const QByteArray caption = zelan::fixtures::encodeJpeg(filled(QSize(30, 20), qRgb(200, 180, 90)));
    QImage button = filled(QSize(12, 9), qRgb(10, 90, 200));
    button.setPixel(0, 8, qRgb(255, 0, 255));
    content.rcData[Caption] = caption;
    content.rcData[Button] = zelan::fixtures::writeBmp(button, 24);
    content.rcData[CutCaption] = caption.first(caption.size() / 2);
    content.rcData[NotAPicture] = QByteArray("plain text");
    return zelan::reslib::writeResourceLibrary(content);
}

struct Message {
    QString text;
    QString caption;
    MessageKind kind;
};

} // namespace

class TestPictureLibrary : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pathOfEachLanguage_data();
    void pathOfEachLanguage();
    void loadsLibraryFromCurrentDirectory();
    void failedLoadReportsAndEnds_data();
    void failedLoadReportsAndEnds();

    void loadsPictures_data();
    void loadsPictures();
    void damagedPictureKeepsThePreviousOne_data();
    void damagedPictureKeepsThePreviousOne();

private:
    PictureLibrary m_library;
    QList<Message> m_messages;
    QList<int> m_endRequests;
    QString m_previousDirectory;
    std::unique_ptr<QTemporaryDir> m_directory;
};

void TestPictureLibrary::initTestCase() {
    QString error;
    m_library = ResourceLibrary::fromBytes(libraryFile(), QStringLiteral("fixture"), &error);
    QVERIFY2(m_library, qPrintable(error));
}

void TestPictureLibrary::init() {
    m_messages.clear();
    m_endRequests.clear();
    setMessageHook([this](const QString& text, const QString& caption, MessageKind kind) {
        m_messages.append({text, caption, kind});
    });
    setEndApplicationHook([this](int code) { m_endRequests.append(code); });
    m_directory = std::make_unique<QTemporaryDir>();
    QVERIFY(m_directory->isValid());
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_directory->path()));
}

void TestPictureLibrary::cleanup() {
    QDir::setCurrent(m_previousDirectory);
    m_directory.reset();
    setMessageHook({});
    setEndApplicationHook({});
}

void TestPictureLibrary::pathOfEachLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("path");
    QTest::addRow("Arabic") << kArabic << "Ara2/zelan_ara.dll";
    QTest::addRow("Russian") << kRussian << "rus2/zelan_rus.dll";
    QTest::addRow("any other code") << 0 << "Ara2/zelan_ara.dll";
}

void TestPictureLibrary::pathOfEachLanguage() {
    QFETCH(int, language);
    QFETCH(QString, path);
    QCOMPARE(pictureLibraryPath(language), path);
}

void TestPictureLibrary::loadsLibraryFromCurrentDirectory() {
    QVERIFY(QDir().mkpath(QStringLiteral("rus2")));
    QFile file(QStringLiteral("rus2/zelan_rus.dll"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(libraryFile());
    file.close();

    const PictureLibrary library = loadPictureLibrary(kRussian);
    QVERIFY(library);
    QVERIFY(library->rcData(Caption));
    // A later load of the same file hands out the same library without reading it again.
    QVERIFY(QFile::remove(QStringLiteral("rus2/zelan_rus.dll")));
    QCOMPARE(loadPictureLibrary(kRussian), library);
    QVERIFY(m_messages.isEmpty());
    QVERIFY(m_endRequests.isEmpty());
    QVERIFY(!applicationEnding());
}

void TestPictureLibrary::failedLoadReportsAndEnds_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("content");
    QTest::addRow("no file") << QString() << QByteArray();
    QTest::addRow("damaged file") << "Ara2" << QByteArray("MZ and then nothing useful");
    QTest::addRow("folder in another case") << "ara2" << libraryFile();
}

void TestPictureLibrary::failedLoadReportsAndEnds() {
    QFETCH(QString, folder);
    QFETCH(QByteArray, content);
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/zelan_ara.dll"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QVERIFY(!loadPictureLibrary(kArabic));
    QCOMPARE(m_messages.size(), 1);
    const QString prefix = QStringLiteral("Unable to load the local DLL Ara2/zelan_ara.dll\n");
    QVERIFY2(m_messages[0].text.startsWith(prefix), qPrintable(m_messages[0].text));
    QVERIFY2(m_messages[0].text.size() > prefix.size(), "the reason is missing");
    QCOMPARE(m_messages[0].kind, MessageKind::Error);
    QCOMPARE(m_endRequests.size(), 1);
    QVERIFY(applicationEnding());
}

void TestPictureLibrary::loadsPictures_data() {
    QTest::addColumn<bool>("button");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("transparent"); // the bottom-left pixel
    QTest::addRow("caption") << false << int(Caption) << true << QSize(30, 20) << false;
    QTest::addRow("button") << true << int(Button) << true << QSize(12, 9) << true;
    QTest::addRow("missing caption") << false << int(Missing) << false << QSize(0, 0) << false;
    QTest::addRow("missing button") << true << int(Missing) << false << QSize(0, 0) << false;
}

void TestPictureLibrary::loadsPictures() {
    QFETCH(bool, button);
    QFETCH(int, id);
    QFETCH(bool, loaded);
    QFETCH(QSize, size);
    QFETCH(bool, transparent);
    ImageControl control;
    control.setPicture(filled(QSize(5, 5), qRgb(1, 2, 3))); // whatever was shown before

    const bool result =
        button ? loadButtonPicture(m_library, &control, id) : loadPicture(m_library, &control, id);
    QCOMPARE(result, loaded);
    QCOMPARE(control.size(), size);
    QCOMPARE(control.picture().size(), size);
    if (loaded)
        QCOMPARE(qAlpha(control.picture().pixel(0, size.height() - 1)), transparent ? 0 : 255);
    QVERIFY(m_messages.isEmpty());

    // No library at all behaves as a missing id.
    QVERIFY(!(button ? loadButtonPicture({}, &control, id) : loadPicture({}, &control, id)));
    QCOMPARE(control.size(), QSize(0, 0));
    QVERIFY(control.picture().isNull());
}

void TestPictureLibrary::damagedPictureKeepsThePreviousOne_data() {
    QTest::addColumn<bool>("button");
    QTest::addColumn<int>("id");
    QTest::addRow("cut-off JPEG") << false << int(CutCaption);
    QTest::addRow("text as JPEG") << false << int(NotAPicture);
    QTest::addRow("JPEG as button") << true << int(Caption);
    QTest::addRow("text as button") << true << int(NotAPicture);
}

void TestPictureLibrary::damagedPictureKeepsThePreviousOne() {
    QFETCH(bool, button);
    QFETCH(int, id);
    ImageControl control;
    QVERIFY(loadPicture(m_library, &control, Caption));
    const QImage before = control.picture();

    QVERIFY(!(button ? loadButtonPicture(m_library, &control, id) : loadPicture(m_library, &control, id)));
    QCOMPARE(control.picture(), before);
    QCOMPARE(control.size(), before.size());
    QVERIFY(m_messages.isEmpty());
}

ZELAN_TEST_CLASS(TestPictureLibrary)
#include "tst_picturelibrary.moc"
