#include "nobza.h"

#include "messages.h"
#include "picturelibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

Tnobza_frm* nobza_frm = nullptr;

QString helpGuideFile(const QString& folder, int languageCode) {
    const QString guide = languageCode == zelan::ui::kRussian ? QStringLiteral("doc/rus/userguide_RU.htm")
                                                               : QStringLiteral("doc/ara/userguide.htm");
    return QDir(folder).filePath(guide);
}

QUrl helpLocation(const QString& folder, int languageCode) {
    return QUrl::fromLocalFile(helpGuideFile(folder, languageCode));
}

Tnobza_frm::Tnobza_frm(QWidget* owner, int languageCode, const QString& programFolder)
    : QDialog(owner), m_location(helpLocation(programFolder, languageCode)), m_languageCode(languageCode) {
    setObjectName(QStringLiteral("nobza_frm"));
    setWindowTitle(QString());
    resize(925, 653);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    setWindowState(windowState() | Qt::WindowMaximized);
    CppWebBrowser1 = new QTextBrowser(this);
    CppWebBrowser1->setObjectName(QStringLiteral("CppWebBrowser1"));
    // Links out of the guide go to the system's browser; links inside it stay here.
    CppWebBrowser1->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CppWebBrowser1);
}

void Tnobza_frm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per window: a later show (after a minimize) keeps the page the reader is on.
    if (!m_navigated) {
        m_navigated = true;
        Navigate2(m_location);
    }
}

void Tnobza_frm::Navigate2(const QUrl& location) {
    const QFileInfo file(location.toLocalFile());
    if (location.isLocalFile() && file.isFile() && file.isReadable()) {
        CppWebBrowser1->setSource(location);
        return;
    }
    // The browser has no error page of its own: say which file is missing, in the interface
    // language, as a browser would.
    const bool russian = m_languageCode == zelan::ui::kRussian;
    const QString heading = russian ? QStringLiteral("Не удаётся открыть страницу")
                                    : QStringLiteral("تعذّر عرض الصفحة");
    const QString reason = russian ? QStringLiteral("Файл не найден:") : QStringLiteral("الملف غير موجود:");
    const QString shown = location.isLocalFile() ? QDir::toNativeSeparators(location.toLocalFile())
                                                 : location.toString();
    CppWebBrowser1->clear();
    CppWebBrowser1->setHtml(QStringLiteral("<html><body dir=\"%1\"><h2>%2</h2><p>%3</p><p dir=\"ltr\"><tt>%4</tt></p>"
                                           "</body></html>")
                                .arg(russian ? QStringLiteral("ltr") : QStringLiteral("rtl"), heading.toHtmlEscaped(),
                                     reason.toHtmlEscaped(), shown.toHtmlEscaped()));
}

void showHelpWindow(QWidget* owner, int languageCode, const QString& programFolder) {
    Tnobza_frm window(owner, languageCode, programFolder);
    nobza_frm = &window;
    zelan::ui::showModal(&window);
    nobza_frm = nullptr;
}
