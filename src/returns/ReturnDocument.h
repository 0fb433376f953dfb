#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

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

// A date column as the return carries it, "DD/MM/YYYY"; a value that is no
// date is carried as its text.
QString ReturnDateText(const QVariant &value);

// A supplier document's quantity (Col11) as the return carries it: a numeric
// value, or text that is one number, as "0.00"; other text unchanged. False
// when a numeric value is beyond any real quantity.
bool DocumentQuantityText(const QVariant &value, QString *text);

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

    bool take(const QVariant &value, const char *column, QString *text);
    bool checkUnit(const QString &unit, const QString &tariff);
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
