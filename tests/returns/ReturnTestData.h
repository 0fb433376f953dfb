#pragma once

// STEMP4 and PTEMP5 as SQLite tables under cnCompany, holding values the way
// the table reader delivers them (blank-padded text, numbers, ISO date text),
// and the program database with its tariff master under cnProgram.

#include "TestHelpers.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "returns/ReturnDocument.h"

#include <QBuffer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace ReturnTestData {

inline QString pad(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

// Column names in mixed letter case, as tables of other origins spell them.
inline bool openTables(const TestHome &home, QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Settings().cnCompany);
    db.setDatabaseName(QStringLiteral(":memory:"));
    QSqlQuery q(db);
    if (!db.open()
        || !q.exec(QStringLiteral(
            "CREATE TABLE stemp4 (COL01, Col02, col03, Col04, Col05, Col06, Col07, Col08, Col09, Col10)"))
        || !q.exec(QStringLiteral("CREATE TABLE PTEMP5 (col01, col02, col03, col04, col05, col06, col07, col08, col09, "
                                  "col10, col11, col12, col13, col14)"))) {
        *error = db.lastError().text() + q.lastError().text();
        return false;
    }
    return OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home.app()), error);
}

inline bool insert(const QString &connection, const QString &table, const QVariantList &values)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    q.prepare(
        QStringLiteral("INSERT INTO %1 VALUES (?%2)").arg(table, QStringLiteral(",?").repeated(values.size() - 1)));
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

inline bool addMaster(const QString &tariff, const QVariant &unit)
{
    return insert(Settings().cnProgram, QStringLiteral("Import"), {tariff, unit});
}

// One STEMP4 row: serial, invoice, ISO date, product, tariff, quantity, four duties.
inline bool addInvoiceLine(const QVariant &serial, const QString &invoice, const QString &date, const QString &product,
                           const QString &tariff, const QVariant &quantity = 1,
                           const QVariantList &duties = {1, 0, 0, 0})
{
    return insert(Settings().cnCompany, QStringLiteral("STEMP4"),
                  QVariantList{serial, pad(invoice, 20), date, pad(product, 60), pad(tariff, 12), quantity} + duties);
}

struct Document
{
    QVariant serial = 1;
    QString number = QStringLiteral("BE-77");
    QString supplier = QStringLiteral("X Metals");
    QString product = QStringLiteral("Copper wire");
    QString tariff = QStringLiteral("74081110");
    QVariantList duties{480.0, 9.6, 4.8, 0.0};
    QString registration = QStringLiteral("AAACX9999QXD001");
    QVariant quantity = 100.0;
    QString date = QStringLiteral("2014-06-02");
    QString issuedBy = QStringLiteral("X Metals");
    QString address = QStringLiteral("Pune ECC.No.AAACX9999QXD001"); // written untrimmed
};

inline bool addDocument(const Document &d)
{
    return insert(Settings().cnCompany, QStringLiteral("PTEMP5"),
                  QVariantList{d.serial, pad(d.number, 20), pad(d.supplier, 60), pad(d.product, 60), pad(d.tariff, 12)}
                      + d.duties
                      + QVariantList{pad(d.registration, 20), d.quantity, d.date, pad(d.issuedBy, 60), d.address});
}

// The rows and master behind tests/fixtures/returns/worked-example.xml.
inline bool addWorkedExample()
{
    return addMaster(QStringLiteral("74081110"), QStringLiteral("KGS"))
           && addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Copper wire"),
                             QStringLiteral("7408 1110"), 100.0, {500.0, 10.4, 5.2, 0.0})
           && addDocument(Document());
}

inline ReturnInputs workedExampleInputs()
{
    return {"2014", "Apr-Jun", "AAACB1234CXM001", "15/07/2014", "MUMBAI", "EXCISE RETURN"};
}

// Takes `limit` bytes and then fails, as a full disk does.
struct FullDevice : QBuffer
{
    explicit FullDevice(qint64 limit)
        : limit(limit)
    {
        open(WriteOnly);
    }
    qint64 writeData(const char *bytes, qint64 size) override
    {
        ++writes;
        if (pos() + size > limit)
            return setErrorString(QStringLiteral("No space left on device")), -1;
        return QBuffer::writeData(bytes, size);
    }
    qint64 limit;
    int writes = 0;
};

} // namespace ReturnTestData
