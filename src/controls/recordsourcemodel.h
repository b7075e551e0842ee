#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/data/recordsource.h>
#include <TORVAProbationParties/data/tableobject.h>

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

namespace Torva {

/// The rows of a list's record source, read a page at a time as a view asks
/// for more (canFetchMore/fetchMore), so that a search over a large table shows
/// its first rows at once. The typed text replaces the source's '&TEXT%'
/// marks as a bound parameter, and is searched as text.
///
/// Failures go out through the table object's Error signal (forward it with
/// tableObject()); load() then throws DataAccessError, while fetchMore(),
/// called from a view, stops listing instead.
class TORVA_EXPORT RecordSourceModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordSourceModel(QObject *parent = nullptr);

    void setRecordSource(const QString &source);
    QString recordSource() const { return m_source; }
    /// Captions of the columns, in select order; the field names where none is given.
    void setHeaderCaptions(const QStringList &captions);
    QStringList headerCaptions() const { return m_captions; }
    /// The most rows ever listed; 0 for no limit.
    void setMaxRecords(int maxRecords) { m_maxRecords = maxRecords; }
    int maxRecords() const { return m_maxRecords; }
    /// A whole number in this field is shown with at least this many digits,
    /// zero-padded (a zip's five); the value itself stays the number.
    void setColumnDigits(const QString &field, int digits);
    /// Rows read from the database at a time.
    void setPageSize(int rows) { m_pageSize = qMax(1, rows); }
    int pageSize() const { return m_pageSize; }

    /// Runs the source for the typed text and lists its first page.
    void load(const QString &typedText = QString());
    void clear();
    bool isLoaded() const { return m_loaded; }
    QString typedText() const { return m_typed; }

    QStringList fieldNames() const { return m_fieldNames; }
    /// The column of a field (any letter case); -1 when the source has none.
    int fieldIndex(const QString &name) const;
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &field) const;
    /// The first listed row whose column holds exactly this text; -1 for none.
    int findRow(int column, const QString &text) const;

    TableObject &tableObject() { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    /// Reads on from the rows already read and returns the next page of those
    /// that belong in the list (fewer only when the source has no more).
    /// Throws DataAccessError.
    QList<QVariantList> readMore();

    TableObject m_table;
    QString m_source;
    QStringList m_captions;
    QHash<QString, int> m_digits;  // by upper-case field name
    int m_maxRecords = 0;
    int m_pageSize = 50;

    bool m_loaded = false;
    QString m_typed;
    RecordSource m_bound;
    QStringList m_fieldNames;
    QList<QVariantList> m_rows;
    int m_rowsRead = 0;       // rows the database returned, before leaving any out
    bool m_databaseHasMore = false;
};

} // namespace Torva
