#pragma once

#include "WorkTableRecords.h"
#include "XmlOutput.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <string_view>

class QIODevice;
class StreamValidator;
class TariffMaster;

// What the user gives for a return, in the return window or on the command line.
struct ReturnInputs
{
    QString year;
    QString quarter;
    QString registrationNumber;
    QString date; // the self-assessment date, "DD/MM/YYYY"
    QString place;
    QString remarks;
};

// The form as it opens: this year, the first quarter, today, "MUMBAI", "EXCISE RETURN", no number.
ReturnInputs DefaultReturnInputs(const QDate &today);

enum class WriteOutcome {
    Complete, // the whole document is written
    Ended, // a row failed a check: its message was shown and the document stops there, unclosed
    Failed, // nothing usable was written (file, device, query or input problem); see errorString()
    Cancelled, // the user stopped it (CancelRequested) between two batches
};

// Writes the return, line by line, from STEMP4 and PTEMP5 over the company
// connection, checking tariff numbers against Import over the program
// connection. Every line ends in CR LF; the text is UTF-8 without a byte-order
// mark. It shows nothing: a row that stops the document (a chapter failure, a
// character XML cannot carry) gives Ended and endMessage(), other failures
// Failed and errorString(), and notices() what the user must still be told.
class ReturnWriter
{
public:
    // `dealerName` is the chosen company's, which the header carries beside the inputs.
    ReturnWriter(const ReturnInputs &inputs, const QString &dealerName, const QString &companyConnection,
                 const QString &programConnection);
    ~ReturnWriter();

    // False with errorString() when a form value holds a character XML cannot carry.
    bool checkInputs();
    // Writes into `device`, which messages call `fileName`; `validator`, when
    // given, is fed the document as it is written. The inputs are checked first.
    WriteOutcome write(QIODevice *device, const QString &fileName, StreamValidator *validator = nullptr);
    QString errorString() const { return m_out.failed() ? m_out.errorString() : m_error; }
    // Messages for the user, in the order the rows gave them: suppliers'
    // registration numbers that fail the check (their rows are written all the same).
    QStringList notices() const { return m_notices; }
    // Why the document stopped, when write() gave Ended.
    QString endMessage() const { return m_endMessage; }

private:
    bool walked(const WorkTableReader &reader, WorkTableReader::Walk walk);
    bool writeInvoiceLines(TariffMaster &master);
    bool writeSupplierDocuments(TariffMaster &master);
    // How a table's row opens in the return: its element (up to the SL-NO's
    // value) and the tags of its number and date.
    struct RowOpening
    {
        std::string_view element;
        std::string_view numberTag;
        std::string_view dateTag;
    };
    RowStage startRow(const WorkTableReader &reader, const RowOpening &opening, const QVariant &serial,
                      const QString &number, const RowDate &date);
    void putSerial(std::string_view opening);
    void putDate(std::string_view tag, const RowDate &date);
    // The goods of one invoice line or supplier document, the same in both tables.
    void goods(QStringView product, QStringView cleaned, QStringView unit, QStringView quantity, QStringView duty);
    bool endDocument(const RowProblem &problem, const QString &label, const QString &labelValue,
                     const QString &product);
    QString serialText() const;

    ReturnInputs m_inputs;
    QString m_dealerName;
    QString m_companyConnection;
    QString m_programConnection;
    XmlOutput m_out;
    QString m_error;
    QStringList m_notices;
    QString m_endMessage;
    bool m_ended = false;
    bool m_cancelled = false;
    QString m_table; // where a bad value is reported from
    QVariant m_serial; // the row's Col01, named in messages
};
