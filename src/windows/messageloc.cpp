#include "messageloc.h"

#include "messages.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <stdexcept>

Tmessage_loc_frm* message_loc_frm = nullptr;

namespace {

QString text(const zelan::ui::PictureLibrary& library, int id) {
    return library ? library->string(id).value_or(QString()) : QString();
}

// A decimal string of the library, as the windows read font values: anything else is a
// conversion error that reaches the application's error display.
int number(const zelan::ui::PictureLibrary& library, int id) {
    const QString value = text(library, id);
    bool ok = false;
    const int result = value.trimmed().toInt(&ok);
    if (!ok) {
        throw std::runtime_error(
            QStringLiteral("'%1' is not a valid integer value (string %2 of the picture library)")
                .arg(value)
                .arg(id)
                .toStdString());
    }
    return result;
}

} // namespace

Tmessage_loc_frm::Tmessage_loc_frm(QWidget* owner, const zelan::ui::PictureLibrary& library)
    : QDialog(owner), m_library(library) {
    setObjectName(QStringLiteral("message_loc_frm"));
    setWindowTitle(QString());
    setLayoutDirection(Qt::RightToLeft);
    resize(721, 166);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(16);
    setFont(arial);
    information_lb = new QLabel(this);
    information_lb->setObjectName(QStringLiteral("information_lb"));
    information_lb->setGeometry(24, 40, 665, 18);
    information_lb->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(209, 40);
    ok_bt = new QPushButton(this);
    ok_bt->setObjectName(QStringLiteral("ok_bt"));
    ok_bt->setGeometry(300, 96, 109, 28);
    // The tick glyph designed into the window, beside the caption.
    ok_bt->setIcon(QIcon(QStringLiteral(":/design/location_ok.png")));
    ok_bt->setIconSize(QSize(48, 18));
    connect(ok_bt, &QPushButton::clicked, this, &Tmessage_loc_frm::ok_btClick);
    applyMessageTexts();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void Tmessage_loc_frm::applyMessageTexts() {
    const QString face = text(m_library, 132);
    // Qt picks the writing system from the text itself, so the character set (string 133) is
    // only checked, as the window's font setting reads it.
    number(m_library, 133);
    const int points = number(m_library, 134);
    for (QWidget* control : std::initializer_list<QWidget*>{information_lb, Label1, ok_bt}) {
        QFont font = control->font();
        font.setFamily(face);
        if (points > 0)
            font.setPointSize(points);
        control->setFont(font);
    }
    ok_bt->setText(text(m_library, 156));
    information_lb->setText(text(m_library, 153));
}

void Tmessage_loc_frm::ok_btClick() { close(); }

void showLocationMessage(QWidget* owner, const zelan::ui::PictureLibrary& library) {
    Tmessage_loc_frm message(owner, library);
    message_loc_frm = &message;
    zelan::ui::showModal(&message);
    message_loc_frm = nullptr;
}
