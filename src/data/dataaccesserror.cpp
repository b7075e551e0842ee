#include "dataaccesserror.h"

namespace Torva {

namespace {
std::string whatText(const QString &description, const QString &statement)
{
    if (statement.isEmpty())
        return description.toStdString();
    return (description + QStringLiteral(" [statement: ") + statement + QLatin1Char(']')).toStdString();
}
} // namespace

DataAccessError::DataAccessError(int number, const QString &description, const QString &statement,
                                 const QString &nativeCode)
    : std::runtime_error(whatText(description, statement))
    , m_number(number)
    , m_description(description)
    , m_statement(statement)
    , m_nativeCode(nativeCode)
{
}

} // namespace Torva
