#pragma once

// Work tables and a tariff master for the return tests: STEMP4 and PTEMP5 as
// plain SQLite tables under cnCompany, holding values the way the table reader
// delivers them (blank-padded text, numbers, ISO date text), and the program
// database under cnProgram.

#include "TestHelpers.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "returns/ReturnDocument.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QVariantList>

namespace ReturnTestData {

inline QString pad(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

// Column names in mixed letter case, as tables of other origins spell them.
inline bool openTables(const TestHome &home, QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), settings().cnCompany);
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE stemp4 (COL01, Col02, col03, Col04, Col05, Col06, Col07, Col08, Col09, Col10)"))
        || !q.exec(QStringLiteral("CREATE TABLE PTEMP5 (col01, col02, col03, col04, col05, col06, col07, col08, col09, "
                                  "col10, col11, col12, col13, col14)"))) {
        *error = q.lastError().text();
        return false;
    }
    return OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), error);
}

inline bool insert(const QString &connection, const QString &table, const QVariantList &values)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(QLatin1Char(','))));
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

inline bool addMaster(const QString &tariff, const QVariant &unit)
{
    return insert(settings().cnProgram, QStringLiteral("Import"), {tariff, unit});
}

// One STEMP4 row: serial, invoice, ISO date, product, tariff, quantity, four duties.
inline bool addInvoiceLine(int serial, const QString &invoice, const QString &date, const QString &product,
                           const QString &tariff, const QVariant &quantity, const QVariantList &duties)
{
    QVariantList row{serial, pad(invoice, 20), date, pad(product, 60), pad(tariff, 12), quantity};
    row += duties;
    return insert(settings().cnCompany, QStringLiteral("STEMP4"), row);
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
    QString address = QStringLiteral("Pune ECC.No.AAACX9999QXD001"); // the address is written untrimmed
};

inline bool addDocument(const Document &d)
{
    QVariantList row{d.serial, pad(d.number, 20), pad(d.supplier, 60), pad(d.product, 60), pad(d.tariff, 12)};
    row += d.duties;
    row << pad(d.registration, 20) << d.quantity << d.date << pad(d.issuedBy, 60) << d.address;
    return insert(settings().cnCompany, QStringLiteral("PTEMP5"), row);
}

// The worked example's rows and master.
inline bool addWorkedExample()
{
    return addMaster(QStringLiteral("74081110"), QStringLiteral("KGS"))
           && addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Copper wire"),
                             QStringLiteral("7408 1110"), 100.0, {500.0, 10.4, 5.2, 0.0})
           && addDocument(Document());
}

inline ReturnInputs workedExampleInputs(const QString &outputPath)
{
    ReturnInputs in;
    in.year = QStringLiteral("2014");
    in.quarter = QStringLiteral("Apr-Jun");
    in.registrationNumber = QStringLiteral("AAACB1234CXM001");
    in.date = QStringLiteral("15/07/2014");
    in.place = QStringLiteral("MUMBAI");
    in.remarks = QStringLiteral("EXCISE RETURN");
    in.dealerName = QStringLiteral("A & B TRADERS");
    in.outputPath = outputPath;
    return in;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString schemaPath()
{
    return QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd");
}

// Compares with a committed reference file; on a difference the actual output
// is left in the build folder so the two can be diffed.
inline bool sameAsReference(const QByteArray &actual, const QString &reference, QString *where)
{
    const QByteArray expected = readAll(fixturePath(reference));
    if (actual == expected && !expected.isEmpty())
        return true;
    *where = QStringLiteral(QV_BINARY_DIR "/") + QString(reference).replace(QLatin1Char('/'), QLatin1Char('_'))
             + QStringLiteral(".actual");
    QFile out(*where);
    if (out.open(QIODevice::WriteOnly))
        out.write(actual);
    return false;
}

} // namespace ReturnTestData
