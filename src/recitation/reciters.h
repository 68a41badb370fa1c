#pragma once

#include <QImage>
#include <QString>

namespace zelan::recitation {

// The folder piece of reciter 1 to 4 under Translations/Sound_aya/sora<N>/Tivlo ("Zorvik",
// "Pellune", "Sarnex", "Wendak"); empty for any other number.
QString reciterFolder(int reciterNumber);

// The reciter list's entry for a slot that holds an imported reciter, as zelan-import-reciter
// drew it with the reciter's name (Translations/Sound_aya/.import/<folder>/list_ara.png or
// list_rus.png below the current directory); null when the slot holds the synthetic voice or
// the picture is missing or damaged, and then the picture library's entry stands.
QImage importedReciterEntry(int reciterNumber, bool russian);

} // namespace zelan::recitation
