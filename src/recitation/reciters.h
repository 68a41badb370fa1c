#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace zelan::recitation {

// The folder piece of reciter 1 to 4 under Translations/Sound_aya/sora<N>/Tivlo ("Zorvik",
// "Pellune", "Sarnex", "Wendak"); empty for any other number.
QString reciterFolder(int reciterNumber);

// The reciter list's entry for a slot that holds an imported reciter, as zelan-import-reciter
// drew it with the reciter's name (Translations/Sound_aya/.import/<folder>/list_ara.png or
// list_rus.png below the current directory); null when the slot holds the synthetic voice or
// the picture is missing or damaged, and then the picture library's entry stands.
QImage importedReciterEntry(int reciterNumber, bool russian);

// The turn within an aya of a slot that holds an imported reciter, as the import estimated it
// (trans_RUS/ReciterTurns.db below the current directory): the share of the recording after
// which the second half's first word is heard. Nothing when the slot holds the synthetic
// voice, or the table has no usable row for the aya; the line table's mark stands then.
std::optional<float> importedTurnFraction(int reciterNumber, int sora, int aya);

} // namespace zelan::recitation
