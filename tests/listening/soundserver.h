#pragma once

#include <QString>

namespace zelan::listening {

// The address of the tests' own sound server (ZELAN_SOUND_SERVER, as scripts/sound-server
// start exports it), once a connection to it has succeeded within a few seconds. Empty, with
// `*why` saying what is missing, when the variable is not set or no server answers there.
QString soundServerAddress(QString* why);

// Makes every sound client of this process started from now on (Qt's sound output included)
// connect to `address` and no other server.
void useSoundServer(const QString& address);

} // namespace zelan::listening
