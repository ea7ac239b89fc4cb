#include "robots_rules.h"

#include <cctype>

namespace vorlane::crawl {

namespace {

// Percent-escapes in upper case and bytes outside ASCII escaped, so that a pattern written either way
// compares equal to the requested path.
QString normalised(const QString& text) {
    QString out;
    out.reserve(text.size());
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8.at(i));
        if (c == '%' && i + 2 < utf8.size() && isxdigit(static_cast<unsigned char>(utf8.at(i + 1))) &&
            isxdigit(static_cast<unsigned char>(utf8.at(i + 2)))) {
            out += QLatin1Char('%');
            out += QChar::fromLatin1(char(toupper(utf8.at(i + 1))));
            out += QChar::fromLatin1(char(toupper(utf8.at(i + 2))));
            i += 2;
        } else if (c >= 0x80 || c < 0x21) {
            out += QStringLiteral("%%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            out += QChar::fromLatin1(char(c));
        }
    }
    return out;
}

// Whether `pattern` matches a prefix of `path` (all of it with a final "$"). Greedy with backtracking to the
// last "*": linear for the patterns found in practice.
bool matches(const QString& pattern, const QString& path) {
    const bool anchored = pattern.endsWith(QLatin1Char('$'));
    const qsizetype end = anchored ? pattern.size() - 1 : pattern.size();
    qsizetype p = 0, s = 0, star = -1, resume = 0;
    for (;;) {
        if (p == end) {
            if (!anchored || s == path.size())
                return true;
        } else if (pattern.at(p) == QLatin1Char('*')) {
            star = p++;
            resume = s;
            continue;
        } else if (s < path.size() && pattern.at(p) == path.at(s)) {
            ++p;
            ++s;
            continue;
        }
        if (star < 0 || resume >= path.size())
            return false;
        p = star + 1;
        s = ++resume;
    }
}

} // namespace

RobotsRules RobotsRules::disallowAll() {
    RobotsRules rules;
    rules.m_rules.append({QStringLiteral("/"), false});
    return rules;
}

RobotsRules RobotsRules::parse(const QByteArray& text, const QString& agent) {
    QList<Rule> named;
    QList<Rule> anyAgent;
    bool namesAgent = false;

    bool inAgentLines = false; // consecutive user-agent lines open one group
    bool groupForAgent = false;
    bool groupForAny = false;
    QByteArray body = text;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    body.replace("\r\n", "\n");
    body.replace('\r', '\n');
    const QList<QByteArray> lines = body.split('\n');
    for (QByteArray line : lines) {
        if (const qsizetype hash = line.indexOf('#'); hash >= 0)
            line.truncate(hash);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QString value = QString::fromUtf8(line.mid(colon + 1).trimmed());
        if (key == "user-agent") {
            if (!inAgentLines) {
                groupForAgent = groupForAny = false;
                inAgentLines = true;
            }
            const QString token = value.section(QLatin1Char('/'), 0, 0).trimmed();
            if (token.compare(agent, Qt::CaseInsensitive) == 0) {
                groupForAgent = true;
                namesAgent = true;
            } else if (token == QLatin1String("*")) {
                groupForAny = true;
            }
            continue;
        }
        if (key != "allow" && key != "disallow")
            continue; // sitemap, crawl-delay and the like belong to no rule
        inAgentLines = false;
        if (value.isEmpty())
            continue; // "Disallow:" with nothing allows everything
        const Rule rule{normalised(value), key == "allow"};
        if (groupForAgent)
            named.append(rule);
        if (groupForAny)
            anyAgent.append(rule);
    }
    RobotsRules rules;
    rules.m_rules = namesAgent ? named : anyAgent;
    return rules;
}

bool RobotsRules::allows(const QString& target) const {
    if (m_rules.isEmpty())
        return true;
    const QString path = normalised(target.isEmpty() ? QStringLiteral("/") : target);
    qsizetype longest = -1;
    bool allowed = true;
    for (const Rule& rule : m_rules) {
        if (rule.pattern.size() < longest || !matches(rule.pattern, path))
            continue;
        if (rule.pattern.size() > longest)
            allowed = rule.allow;
        else
            allowed = allowed || rule.allow;
        longest = rule.pattern.size();
    }
    return allowed;
}

} // namespace vorlane::crawl
