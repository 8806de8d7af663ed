#pragma once

#include <QString>
#include <memory>

namespace velmarsk {

// Long operations report through this and poll it for a cancel request. A window implementation
// lets pending window events run inside cancelRequested(), so its cancel button acts meanwhile.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMaximum(qint64 maximum) = 0;
    virtual void setValue(qint64 value) = 0;
    virtual bool cancelRequested() = 0;
    // The sort runs in numbered phases (1 sort, 2 strings, 3 names) and shows each one's result.
    virtual void phaseStarted(int /*phase*/) {}
    virtual void phaseFinished(int /*phase*/, qint64 /*result*/) {}
};

class NullProgress final : public Progress {
public:
    void setMaximum(qint64) override {}
    void setValue(qint64) override {}
    bool cancelRequested() override { return false; }
};

// How the storage layer talks to the user: questions and messages with caption, icon and buttons,
// and progress for its long operations. The window layer shows message boxes, the command-line
// program uses flags and standard error, tests answer from a script.
class Interaction {
public:
    enum class Icon { None, Information, Question, Warning, Stop, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };
    enum class Task { Upgrade, Rebuild, Sort, Compact };

    virtual ~Interaction() = default;

    virtual Answer ask(const QString& caption, const QString& text, Icon icon, Buttons buttons) = 0;

    // from/to name the versions of an upgrade ("1.12", "1.13"); empty for the other tasks.
    virtual std::unique_ptr<Progress> startProgress(Task task, const QString& from, const QString& to) = 0;

    void tell(const QString& caption, const QString& text, Icon icon) {
        ask(caption, text, icon, Buttons::Ok);
    }
    bool confirm(const QString& caption, const QString& text, Icon icon) {
        return ask(caption, text, icon, Buttons::YesNo) == Answer::Yes;
    }
};

}  // namespace velmarsk
