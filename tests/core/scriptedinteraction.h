#pragma once

#include "storage/interaction.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace velmarsk::test {

// Progress that cancels when the predicate says so (value reached, phase entered).
class ScriptedProgress : public Progress {
public:
    explicit ScriptedProgress(std::function<bool(qint64 value, int phase)> cancelWhen = {})
        : m_cancelWhen(std::move(cancelWhen)) {}
    void setMaximum(qint64) override {}
    void setValue(qint64 v) override { m_value = v; }
    bool cancelRequested() override { return m_cancelWhen && m_cancelWhen(m_value, m_phase); }
    void phaseStarted(int phase) override { m_phase = phase; }
    void phaseFinished(int phase, qint64 result) override { results[phase] = result; }

    std::map<int, qint64> results;

private:
    std::function<bool(qint64, int)> m_cancelWhen;
    qint64 m_value = 0;
    int m_phase = 0;
};

// Answers questions from a script and records everything the storage layer said.
class ScriptedInteraction : public Interaction {
public:
    struct Asked {
        QString caption;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer ask(const QString& caption, const QString& text, Icon icon, Buttons buttons) override {
        asked.push_back({caption, text, icon, buttons});
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return defaultAnswer;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::unique_ptr<Progress> startProgress(Task task, const QString& from, const QString& to) override {
        tasks.push_back(task);
        upgrades << (from.isEmpty() ? QString() : from + QStringLiteral("->") + to);
        return std::make_unique<ScriptedProgress>(cancelWhen);
    }

    QStringList texts() const {
        QStringList t;
        for (const auto& a : asked) t << a.text;
        return t;
    }
    bool saidContaining(const QString& part) const {
        for (const auto& a : asked)
            if (a.text.contains(part)) return true;
        return false;
    }

    std::deque<Answer> answers;
    Answer defaultAnswer = Answer::Yes;
    std::vector<Asked> asked;
    std::vector<Task> tasks;
    QStringList upgrades;
    // Called on every cancel poll with the progress value; returning true cancels.
    std::function<bool(qint64 value, int phase)> cancelWhen;
};

}  // namespace velmarsk::test
