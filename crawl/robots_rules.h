#pragma once
// The rules of one robots.txt for one crawler: the groups that name the agent (or, when none does, those
// for "*"), merged. A path is allowed unless its longest matching rule is a Disallow; on a tie Allow wins.
// Patterns may use "*" (any run of characters) and a final "$" (end of the path).

#include <QByteArray>
#include <QList>
#include <QString>

namespace vorlane::crawl {

class RobotsRules {
public:
    RobotsRules() = default; // allows everything

    // `agent` is the crawler's product token ("Vorlane"), matched without letter case.
    static RobotsRules parse(const QByteArray& text, const QString& agent);
    static RobotsRules disallowAll();

    // `target` is the path and query as requested ("/a/b.html?x=1"), percent-encoded.
    bool allows(const QString& target) const;

private:
    struct Rule {
        QString pattern;
        bool allow = false;
    };
    QList<Rule> m_rules;
};

} // namespace vorlane::crawl
