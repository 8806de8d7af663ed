#include "dialogs/messagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace velmarsk {
namespace {

std::deque<Interaction::Answer> g_next;
bool g_auto = false;
Interaction::Answer g_autoAnswer = Interaction::Answer::Yes;
std::vector<MessageBox::Shown> g_shown;

QMessageBox::Icon toQt(MessageBox::Icon icon) {
    switch (icon) {
        case MessageBox::Icon::Information:
            return QMessageBox::Information;
        case MessageBox::Icon::Question:
            return QMessageBox::Question;
        case MessageBox::Icon::Warning:
            return QMessageBox::Warning;
        case MessageBox::Icon::Stop:
        case MessageBox::Icon::Error:
            return QMessageBox::Critical;
        case MessageBox::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageBox::Answer MessageBox::ask(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                                   Buttons buttons) {
    g_shown.push_back({caption, text, icon, buttons});
    // Scripted answers go to questions; a message that only needs its OK is acknowledged at once.
    if (buttons == Buttons::Ok && (g_auto || !g_next.empty())) return Answer::Ok;
    if (!g_next.empty()) {
        const Answer a = g_next.front();
        g_next.pop_front();
        return a;
    }
    if (g_auto) return g_autoAnswer;

    // The window system fills an empty title with the program's name ("velmarsk"): a box without a
    // caption gets a blank title instead, and shows an empty title bar.
    QMessageBox box(toQt(icon), caption.isEmpty() ? QStringLiteral(" ") : caption, text,
                    QMessageBox::NoButton, parent);
    if (buttons == Buttons::Ok) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return Answer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

void MessageBox::setNextAnswers(std::deque<Answer> answers) {
    g_next = std::move(answers);
}

void MessageBox::setAutoAnswer(bool enabled, Answer yesNoAnswer) {
    g_auto = enabled;
    g_autoAnswer = yesNoAnswer;
}

bool MessageBox::autoAnswer() {
    return g_auto;
}

std::vector<MessageBox::Shown>& MessageBox::shown() {
    return g_shown;
}

}  // namespace velmarsk
