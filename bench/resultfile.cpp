#include "resultfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace Torva {

namespace {

const QString FormatName = QStringLiteral("torva-bench results");

QJsonObject statsObject(const SampleStats &stats)
{
    return {{QStringLiteral("count"), stats.count}, {QStringLiteral("median"), stats.median},
            {QStringLiteral("p99"), stats.p99},     {QStringLiteral("mean"), stats.mean},
            {QStringLiteral("min"), stats.min},     {QStringLiteral("max"), stats.max}};
}

SampleStats statsFrom(const QJsonObject &object)
{
    SampleStats stats;
    stats.count = object.value(QStringLiteral("count")).toInt();
    stats.median = object.value(QStringLiteral("median")).toDouble();
    stats.p99 = object.value(QStringLiteral("p99")).toDouble();
    stats.mean = object.value(QStringLiteral("mean")).toDouble();
    stats.min = object.value(QStringLiteral("min")).toDouble();
    stats.max = object.value(QStringLiteral("max")).toDouble();
    return stats;
}

QJsonObject resultObject(const BenchmarkResult &result)
{
    QJsonObject object{{QStringLiteral("group"), result.group},
                       {QStringLiteral("name"), result.name},
                       {QStringLiteral("unit"), result.unit},
                       {QStringLiteral("budget"), result.budget},
                       {QStringLiteral("unexpected"), result.unexpected},
                       {QStringLiteral("note"), result.note},
                       {QStringLiteral("stats"), statsObject(result.stats)}};
    if (result.isComparison) {
        object.insert(QStringLiteral("budgetRatio"), result.budgetRatio);
        object.insert(QStringLiteral("sqliteStats"), statsObject(result.sqliteStats));
    }
    return object;
}

BenchmarkResult resultFrom(const QJsonObject &object)
{
    BenchmarkResult result;
    result.group = object.value(QStringLiteral("group")).toString();
    result.name = object.value(QStringLiteral("name")).toString();
    result.unit = object.value(QStringLiteral("unit")).toString(result.unit);
    result.budget = object.value(QStringLiteral("budget")).toDouble();
    result.unexpected = object.value(QStringLiteral("unexpected")).toInt();
    result.note = object.value(QStringLiteral("note")).toString();
    result.stats = statsFrom(object.value(QStringLiteral("stats")).toObject());
    result.isComparison = object.contains(QStringLiteral("sqliteStats"));
    if (result.isComparison) {
        result.budgetRatio = object.value(QStringLiteral("budgetRatio")).toDouble();
        result.sqliteStats = statsFrom(object.value(QStringLiteral("sqliteStats")).toObject());
    }
    return result;
}

} // namespace

void ResultFile::save(const QString &path) const
{
    QJsonArray list;
    for (const BenchmarkResult &result : results)
        list.append(resultObject(result));
    const QJsonObject top{{QStringLiteral("format"), FormatName},
                          {QStringLiteral("engine"), engine},
                          {QStringLiteral("machine"), machine},
                          {QStringLiteral("database"), database},
                          {QStringLiteral("results"), list}};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(QJsonDocument(top).toJson(QJsonDocument::Indented)) < 0 || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

ResultFile ResultFile::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject top = document.object();
    if (error.error != QJsonParseError::NoError || top.value(QStringLiteral("format")).toString() != FormatName)
        throw std::runtime_error(path.toStdString() + " holds no torva-bench results (written with --json)");
    ResultFile loaded;
    loaded.engine = top.value(QStringLiteral("engine")).toString();
    loaded.machine = top.value(QStringLiteral("machine")).toString();
    loaded.database = top.value(QStringLiteral("database")).toString();
    for (const QJsonValue &value : top.value(QStringLiteral("results")).toArray())
        loaded.results << resultFrom(value.toObject());
    return loaded;
}

} // namespace Torva
