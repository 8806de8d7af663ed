// Placeholder until the entry rules arrive.
#include "controls/teditname.h"
#include "entry/tfmhaupt.h"

#include <QGroupBox>

namespace velmarsk {

void TFMHaupt::startEntry(EntryStateValue state) {
    m_entryState = state;
    EnableButtons();
    PanelIFR->setVisible(true);
    PanelVFR->setVisible(true);
    EDDate->setFocus();
}

}  // namespace velmarsk
