// The translation side of the main window: the translation picture of the current aya, which
// follows the translation table as a detail of the aya-line query, and the language list.

#include "ruvo.h"

#include "components.h"
#include "imagecontrol.h"
#include "picturedecoding.h"
#include "table.h"

#include <QComboBox>
#include <QIODevice>
#include <QScrollArea>

#include <array>

void Truvo_frm::Translations_tbAfterScroll() {
    // No record for the aya: the picture shown before stays.
    if (Translations_tb->eof())
        return;
    // Every mark of the aya moves the table onto the same record again; its picture is the
    // one on show already, so it is not decoded anew.
    const auto field = [&](const char* name) { return Translations_tb->fieldByName(QString::fromLatin1(name)).asInteger(); };
    const std::array<int, 3> record = {field("SoraNum"), field("AyaNum"), field("LangNum")};
    if (record == m_shownTranslation && !Image2->picture().isNull())
        return;
    // A picture that does not decode is passed over; Image2 keeps the one before.
    if (const auto stream = Translations_tb->createBlobStream(QStringLiteral("AyaTransPick"))) {
        if (auto picture = zelan::ui::decodeJpeg(stream->readAll())) {
            Image2->setPicture(std::move(*picture));
            m_shownTranslation = record;
            // The scrolled area keeps the box's width and takes at least the picture's height, so
            // a tall picture scrolls vertically and nothing scrolls sideways.
            ScrollBox1->widget()->setMinimumHeight(Image2->y() + Image2->height());
            Image2->update();
        }
    }
}

void Truvo_frm::langNames_cbChange(int item) {
    if (item < 0 || size_t(item) >= langEntries.size())
        return;
    Translations_tb->setFiltered(true);
    const TLang_telawa& entry = langEntries[size_t(item)];
    reciterNumber = entry.telawaBy;
    Translations_tb->setFilter(zelan::data::filters::language(entry.langNum));
    Translations_tb->first();
    Translations_tbAfterScroll();
}
