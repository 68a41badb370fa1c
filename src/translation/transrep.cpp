#include "transrep.h"

Ttrans_rep_fm* trans_rep_fm = nullptr;

Ttrans_rep_fm::Ttrans_rep_fm(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("trans_rep_fm"));
}

Ttrans_rep_fm::~Ttrans_rep_fm() = default;
