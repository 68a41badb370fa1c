// The sura index, opened from the main window.

#include "ruvo.h"

#include "interfacelanguage.h"
#include "soraindex.h"

namespace {

// The main window's reading position as the index moves it.
class ReadingPosition : public SoraIndexTarget {
public:
    explicit ReadingPosition(Truvo_frm& window) : m_window(window) {}
    void setSora(int sora) override {
        // A recitation held at the old position (paused, or in a range pause) ends here; one
        // that plays is left to the page box, whose change handler ends it when the new sura
        // is on another page.
        m_window.closeHeldRecitation();
        m_window.setSora(sora);
    }
    int getSora() const override { return m_window.getSora(); }
    void setAya(int aya) override { m_window.setAya(aya); }
    void showAyaPage() override { m_window.showAyaPage(); }

private:
    Truvo_frm& m_window;
};

} // namespace

void Truvo_frm::zelanIndex_imClick() {
    ReadingPosition position(*this);
    showSoraIndex(this, pictureLibrary, position);
}
