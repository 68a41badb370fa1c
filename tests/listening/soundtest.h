#pragma once

#include "soundserver.h"

#include <QTest>

// In a test's initTestCase: finds the tests' sound server and sends this process's sound to
// it, storing its address in `address` (a QString). Skips the test class when there is none,
// or fails when ZELAN_REQUIRE_SOUND_SERVER is set (the test command sets it).
#define ZELAN_ENTER_SOUND_SERVER(address)                                                                     \
    do {                                                                                                      \
        QString why_;                                                                                         \
        address = zelan::listening::soundServerAddress(&why_);                                                \
        if (address.isEmpty()) {                                                                              \
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_SOUND_SERVER"))                                      \
                QFAIL(qPrintable(why_));                                                                      \
            QSKIP(qPrintable(why_ + QStringLiteral(" (eval \"$(scripts/sound-server start)\")")));             \
        }                                                                                                     \
        zelan::listening::useSoundServer(address);                                                            \
    } while (false)
