#include "ruvo.h"

Truvo_frm* ruvo_frm = nullptr;

Truvo_frm::Truvo_frm(QWidget* owner) : QDialog(owner, Qt::FramelessWindowHint) {
    setFixedSize(885, 665);
}

Truvo_frm::~Truvo_frm() = default;
