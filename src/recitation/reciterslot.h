#pragma once

// The recordings of one reciter slot in a program folder, and their replacement as a whole:
// Translations/Sound_aya/sora<N>/Tivlo/<slot folder>/a<aya>.mp3 for every sura N of the
// portion. A change first copies every new file into a staging tree beside the recordings
// (Translations/Sound_aya/.import/<slot folder>/new), then writes a journal, which is the
// point of no return, and then swaps the sura folders one by one by renaming. An interruption
// before the journal leaves the slot as it was (the staging tree is cleared the next time);
// one after it is completed the next time (finishInterruptedChange, or the program's start),
// so the slot ends either as before or fully changed. One change of a slot runs at a time.

#include <QString>

#include <functional>
#include <vector>

namespace zelan::recitation {

// One recording a slot holds: aya `aya` of sura `sura` (aya 0: the opening formula of suras 78
// to 114), and the name of its file in a reciter's collection ("078001.mp3"; "001001.mp3" for
// every opening formula, which these collections record once as sura 1's first aya).
struct Recording {
    int sura = 0;
    int aya = 0;
    QString file;
};

// Every recording of a slot, in reading order: sura 1 ayas 1 to 7, then for each sura from 78
// to 114 its opening formula and ayas 1 to n.
std::vector<Recording> portionRecordings();

// The folder piece of slot 1 to 4 ("Zorvik", "Pellune", "Sarnex", "Wendak"), empty otherwise.
QString slotFolderName(int slot);

// The folder of a slot's recordings of `sura` below the program folder.
QString slotSuraFolder(const QString& program, int slot, int sura);

// What a slot holds at the end of a change: for each recording, the file to copy in, or an
// empty path to keep the slot's own recording.
struct SlotFile {
    Recording recording;
    QString source;
};

using Progress = std::function<void(int done, int total)>;

// Makes a slot's folders changeable in a user's program folder whose recordings link to an
// installed, read-only one: each folder on the way to the slot's folders
// (Translations, Sound_aya, sora<N>, Tivlo) that is a link becomes a folder of links to what
// it held, so that the slot's folders can be replaced and the installed files stay as they
// are. Nothing to do in a folder of real files. False with `error` naming the folder.
bool makeSlotChangeable(const QString& program, QString* error);

// Replaces the slot's recordings with `files`. The synthetic voice's recordings that a first
// change replaces are kept (Translations/Sound_aya/.import/<slot folder>/synthetic) for
// restoreSynthetic. Returns false with `error` naming the file or folder at fault; the slot
// is then as it was.
bool replaceSlot(const QString& program, int slot, const std::vector<SlotFile>& files, const Progress& progress,
                 QString* error);

// Puts the kept synthetic recordings back in the slot. False with `error` when the slot holds
// the synthetic voice already or nothing was kept.
bool restoreSynthetic(const QString& program, int slot, const Progress& progress, QString* error);

// Whether the slot holds an import (its synthetic recordings are kept aside).
bool slotImported(const QString& program, int slot);

// The folder of a slot's changes: its staging, its journal, the synthetic voice kept aside,
// and what an import keeps beside it (the name and the list entries).
QString slotWorkFolder(const QString& program, int slot);

// The synthetic recording of an aya in a slot: in the slot's folder, or kept aside while the
// slot holds an import.
QString syntheticRecording(const QString& program, int slot, int sura, int aya);

// Completes a change that was interrupted after its journal, or clears the staging tree of
// one interrupted before. False with `error` when a folder cannot be moved or another change
// of the slot is under way.
bool finishInterruptedChange(const QString& program, int slot, QString* error);

// What the program does at its start: completes every committed change that was interrupted,
// so that it never plays a slot half changed; a change under way elsewhere, or a staging tree
// not yet committed, is left alone.
void completeCommittedChanges(const QString& program);

} // namespace zelan::recitation
