#pragma once

#include <QString>
#include <QVariantList>

// A list's record source with the text typed so far. The source marks the
// typed text as '&TEXT%'; each such mark becomes a bound parameter holding the
// text followed by "%", so that nothing typed ever becomes part of the statement.
class RecordSource
{
public:
    static RecordSource bind(const QString &source, const QString &typedText);

    QString statement() const { return m_statement; }
    QVariantList parameters() const { return m_parameters; }

private:
    QString m_statement;
    QVariantList m_parameters;
};
