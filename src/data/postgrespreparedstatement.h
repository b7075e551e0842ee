#pragma once

#include "qtpreparedstatement.h"

#include <QList>

// A statement run through Qt's PostgreSQL driver, its texts read as the server
// sent them: the driver decodes each value as a UTF-8 document of its own and
// drops a U+FEFF that begins it, taking it for a byte order mark.
class PostgresPreparedStatement : public QtPreparedStatement
{
public:
    using QtPreparedStatement::QtPreparedStatement;

protected:
    void columnsKnown(const QSqlRecord &record) override;
    QVariant columnValue(int column) override;

private:
    QList<bool> m_texts;  // which columns the driver reads as text; empty when none is
};
