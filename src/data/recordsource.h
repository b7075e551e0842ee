#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>
#include <QVariantList>

namespace Torva {

/// A list's record source with the text typed so far. The source marks the
/// typed text as '&TEXT%'; each such mark becomes a bound parameter, so that
/// nothing typed ever becomes part of the statement.
///
/// The typed text is searched as text: "%" and "_" are not wildcards, nor is
/// "\\" an escape. The parameter holds the typed text up to the first of them, followed by "%",
/// so the database still finds the rows by the name index; the rows it returns
/// beyond what was typed are then left out by accepts().
class TORVA_EXPORT RecordSource
{
public:
    static RecordSource bind(const QString &source, const QString &typedText);

    QString statement() const { return m_statement; }
    QVariantList parameters() const { return m_parameters; }
    /// The column the source searches (the one before its first Like), upper case.
    QString searchColumn() const { return m_searchColumn; }
    /// Whether a row whose searched column holds value belongs in the list.
    bool accepts(const QString &value) const;
    /// Whether some rows the statement returns may not belong in the list.
    bool needsFiltering() const { return !m_exactPrefix.isEmpty(); }

private:
    QString m_statement;
    QVariantList m_parameters;
    QString m_searchColumn;
    QString m_exactPrefix;  // the typed text, when it holds a wildcard character
};

} // namespace Torva
