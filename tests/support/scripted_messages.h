#pragma once
// A message facade for tests: records every box and answers questions from a queue (No when empty).

#include "ui/message_facade.h"
#include <QList>
#include <QQueue>
#include <QString>

class ScriptedMessages final : public vorlane::ui::MessageFacade {
public:
    enum class Kind { Critical, Question, Information };
    struct Shown {
        Kind kind;
        QString text;
    };

    void critical(QWidget*, const QString& text) override { m_shown.append({Kind::Critical, text}); }
    bool question(QWidget*, const QString& text) override
    {
        m_shown.append({Kind::Question, text});
        return m_answers.isEmpty() ? false : m_answers.dequeue();
    }
    void information(QWidget*, const QString& text) override { m_shown.append({Kind::Information, text}); }

    void answerNext(bool yes) { m_answers.enqueue(yes); }
    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList out;
        for (const auto& s : m_shown)
            out << s.text;
        return out;
    }
    QString last() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QQueue<bool> m_answers;
};
