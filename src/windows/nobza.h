#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QString>
#include <QUrl>

class QTextBrowser;

// The user guide file of an interface language below the program folder `folder`:
// "doc/rus/userguide_RU.htm" for Russian (1102), "doc/ara/userguide.htm" for any other code.
QString helpGuideFile(const QString& folder, int languageCode);

// The location the help window opens: the "file://" location of helpGuideFile(). Built as a
// local-file location, so a folder name holding "#", "?" or "%" names the file, not an anchor,
// a query or an escape.
QUrl helpLocation(const QString& folder, int languageCode);

// The help window: the user guide of the interface language in a text browser that fills the
// window. Opened maximized; it loads the guide once, when it is first shown, so repaints and
// followed links do not send the reader back to the start.
class Tnobza_frm : public QDialog {
    Q_OBJECT

public:
    // `programFolder` is the folder the guides are found below: the executable's folder in the
    // program, a temporary folder in tests.
    Tnobza_frm(QWidget* owner, int languageCode,
               const QString& programFolder = QCoreApplication::applicationDirPath());

    // Opens `location` in the browser. A location that is no readable local file shows a short
    // page that names it instead of the guide.
    void Navigate2(const QUrl& location);

    QUrl location() const { return m_location; }

    QTextBrowser* CppWebBrowser1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QUrl m_location;
    int m_languageCode;
    bool m_navigated = false;
};

// While the help window is shown, the one instance; null otherwise.
extern Tnobza_frm* nobza_frm;

// Shows the help window modally over `owner` and destroys it when it has closed.
void showHelpWindow(QWidget* owner, int languageCode,
                    const QString& programFolder = QCoreApplication::applicationDirPath());
