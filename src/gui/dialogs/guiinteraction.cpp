#include "dialogs/guiinteraction.h"

#include "dialogs/messagebox.h"
#include "maintenance/tfmindexneu.h"
#include "maintenance/tfmkonvert.h"
#include "maintenance/tfmordnen.h"

namespace velmarsk {

Interaction::Answer GuiInteraction::ask(const QString& caption, const QString& text, Icon icon,
                                        Buttons buttons) {
    if (m_beforeMessage) m_beforeMessage();
    return MessageBox::ask(m_main, caption, text, icon, buttons);
}

std::unique_ptr<Progress> GuiInteraction::startProgress(Task task, const QString& from, const QString& to) {
    switch (task) {
        case Task::Upgrade:
            return std::make_unique<TFMKonvert>(from, to, m_main);
        case Task::Rebuild:
            return std::make_unique<TFMIndexneu>(nullptr, TFMIndexneu::Mode::StartUp, m_main);
        case Task::Sort:
        case Task::Compact: {
            auto window = std::make_unique<TFMOrdnen>(m_main);
            window->show();
            return window;
        }
    }
    return std::make_unique<NullProgress>();
}

}  // namespace velmarsk
