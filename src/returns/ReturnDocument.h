#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QSqlQuery;
class TariffMaster;

// What the return window (or the command line) hands the writer.
struct ReturnInputs
{
    QString year;
    QString quarter;
    QString registrationNumber;
    QString date; // the self-assessment date, "DD/MM/YYYY"
    QString place;
    QString remarks;
    QString dealerName;
    QString outputPath;
};

enum class WriteOutcome {
    Complete, // the whole document is written
    Ended,    // a row failed a check: its message was shown and the document stops there, unclosed
    Failed,   // nothing usable was written (file, device, query or input problem); see errorString()
};

// The tariff number of a row as the return carries it: every blank removed,
// and for an invoice line (STEMP4) every "." as well.
QString CleanedTariffNumber(const QString &col05, bool invoiceLine);

// Writes the return, line by line, from STEMP4 and PTEMP5 over the company
// connection, checking tariff numbers against Import over the program
// connection. Every line ends in CR LF; the text is UTF-8 without a byte-order
// mark. Chapter messages and bad characters in the tables are shown here and
// hide the please-wait indicator, as the user must see them while the
// document stops; other failures are only returned.
class ReturnWriter
{
public:
    ReturnWriter(const ReturnInputs &inputs, const QString &companyConnection, const QString &programConnection);
    ~ReturnWriter();

    // False with errorString() when a form value holds a character XML cannot carry.
    bool checkInputs();
    WriteOutcome write(QIODevice *device);
    QString errorString() const { return m_error; }

private:
    bool writeInvoiceLines(TariffMaster &master);
    bool writeSupplierDocuments(TariffMaster &master);
    bool openTable(QSqlQuery *query, const QString &sql, const QString &table, const QStringList &columns,
                   QList<int> *indexes);

    bool rowStart(const QSqlQuery &q, const QList<int> &c, const char *rowTag, const char *numberTag, int dateColumn,
                  const char *dateTag, QString *number);
    bool rowEnd(const char *closeTag, const QString &product, const QString &tariff, const QString &unit,
                const QString &quantity, const QString &duty);
    bool take(const QVariant &value, const char *column, QString *text);
    bool lookUpUnit(TariffMaster &master, const QString &tariff, QString *unit);
    bool amount(const QSqlQuery &query, const QList<int> &indexes, const QList<int> &which,
                QString *text);
    bool endDocument(const QString &message);

    void raw(const char *text);
    void element(const char *tag, const QString &escapedValue);
    bool flush();

    ReturnInputs m_inputs;
    QString m_companyConnection;
    QString m_programConnection;
    QIODevice *m_device = nullptr;
    QByteArray m_buffer;
    QString m_error;
    bool m_deviceFailed = false;
    bool m_ended = false;
    QString m_table;  // where a bad value is reported from
    QString m_serial;
};

// The file step of the export command: deletes an older file at the output
// path, writes the new one through a temporary file beside it and puts it in
// place (also when a row check ended it early, so validation reports the
// incomplete file). On Failed the message has been shown and the please-wait
// indicator hidden; no file is left at the output path.
WriteOutcome WriteReturnDocument(const ReturnInputs &inputs);
