#include "transdm.h"

#include "components.h"

Ttrans_dm_fm* trans_dm_fm = nullptr;

Ttrans_dm_fm::Ttrans_dm_fm(QObject* owner)
    : QObject(owner), Translations_tb(zelan::data::createPrintTranslationsTable()),
      transTemp_tb(zelan::data::createTransTempTable()), Translations_sr(Translations_tb.get()),
      transTemp_sr(transTemp_tb.get()) {
    setObjectName(QStringLiteral("trans_dm_fm"));
    DataModuleCreate();
}

Ttrans_dm_fm::~Ttrans_dm_fm() {
    DataModuleDestroy();
}

void Ttrans_dm_fm::DataModuleCreate() {
    Translations_tb->open();
    transTemp_tb->open();
}

void Ttrans_dm_fm::DataModuleDestroy() {
    // Closing a closed table does nothing, so this is safe after a failed open as well.
    Translations_tb->close();
    transTemp_tb->close();
}
