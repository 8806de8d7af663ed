#pragma once

#include "storage/interaction.h"

#include <QPointer>
#include <QWidget>
#include <functional>

namespace velmarsk {

// The logbook's questions as message boxes, its long operations in their progress windows.
class GuiInteraction : public Interaction {
public:
    Answer ask(const QString& caption, const QString& text, Icon icon, Buttons buttons) override;
    std::unique_ptr<Progress> startProgress(Task task, const QString& from, const QString& to) override;

    // The window the boxes belong to, once it exists.
    void setMainWindow(QWidget* window) { m_main = window; }
    // Called before every box, so that an arrow key's auto-repeat stops before a message appears.
    void setBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

private:
    QPointer<QWidget> m_main;
    std::function<void()> m_beforeMessage;
};

}  // namespace velmarsk
