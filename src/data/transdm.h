#pragma once

#include "table.h"

#include <QObject>

#include <memory>

// The print data module: the translation table of the printed run and its scratch table,
// open from program start to program end.
class Ttrans_dm_fm : public QObject {
    Q_OBJECT

public:
    // Opens both tables (DataModuleCreate). A missing or damaged table is an engine error
    // (zelan::tables::EngineError) that leaves the module unbuilt; it reaches the
    // application's error display.
    explicit Ttrans_dm_fm(QObject* owner = nullptr);
    // Closes both tables (DataModuleDestroy).
    ~Ttrans_dm_fm() override;

    void DataModuleCreate();
    void DataModuleDestroy();

    std::unique_ptr<zelan::tables::Table> Translations_tb;
    std::unique_ptr<zelan::tables::Table> transTemp_tb;
    // The data sources that name the two tables as masters (the print links Translations_tb
    // to transTemp_sr while the report is previewed).
    zelan::tables::DataSource Translations_sr;
    zelan::tables::DataSource transTemp_sr;
};

// The print data module, created at program start; null before and after.
extern Ttrans_dm_fm* trans_dm_fm;
