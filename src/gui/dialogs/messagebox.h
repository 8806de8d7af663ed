#pragma once

#include "storage/interaction.h"

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace velmarsk {

// Every message box of the program goes through here, so that tests can answer them in advance
// instead of waiting for a click, and see what the program said.
class MessageBox {
public:
    using Icon = Interaction::Icon;
    using Buttons = Interaction::Buttons;
    using Answer = Interaction::Answer;

    struct Shown {
        QString caption;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    static Answer ask(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                      Buttons buttons);
    static void tell(QWidget* parent, const QString& caption, const QString& text, Icon icon = Icon::None) {
        ask(parent, caption, text, icon, Buttons::Ok);
    }

    // Test hooks: while answers are queued, no box is shown; every box asked for is recorded.
    static void setNextAnswers(std::deque<Answer> answers);
    static void setAutoAnswer(bool enabled, Answer yesNoAnswer = Answer::Yes);
    static bool autoAnswer();
    static std::vector<Shown>& shown();
};

}  // namespace velmarsk
