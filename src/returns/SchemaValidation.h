#pragma once

#include "app/BackgroundTask.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// Streams `xmlPath` (trimmed of blanks) through a validator for the schema at
// `xsdPath`; memory does not grow with the file. No network access, no
// external entities or DTDs loaded; every file the schema includes is opened
// only when it is a regular file. On failure `reason` holds the first problem:
// "Load XSD failed: " or "Load XML failed: " and the parser's reason when a
// file does not load, the validation's reason alone otherwise.
bool ValidateXmlFile(const QString &xmlPath, const QString &xsdPath, QString *reason);

// Validates a document against a schema while it is being written: the
// writer hands each batch of bytes to feed(), and a second thread parses and
// validates them as they arrive, so the document is never read back. The
// reasons are those ValidateXmlFile gives for the same bytes. At most
// kQueueBytes wait between the two; feed() blocks while that much waits.
struct CompiledSchema;

class StreamValidator
{
public:
    static constexpr qsizetype kQueueBytes = 1024 * 1024;

    explicit StreamValidator(const QString &xsdPath);
    ~StreamValidator(); // abandons a validation still running

    // Compiles the schema, here, and then waits for the document on the second
    // thread. False with the reason (also finish()'s) when the schema does not load.
    bool start(QString *reason = nullptr);
    // The next bytes of the document. Once the validator has its answer
    // (the first error that ends parsing), the rest is dropped unread.
    void feed(const char *data, qsizetype size);
    // The document is complete: no more feed(). waitFor() then gives whether
    // the answer is there, waiting at most `ms` for it; bytesRead() says how far
    // the validation is, of bytesFed().
    void close();
    bool waitFor(int ms);
    qint64 bytesFed() const { return m_fed; }
    qint64 bytesRead();
    // The document is complete: waits for the answer.
    bool finish(QString *reason);
    // The document will not be completed: stops the validation and waits for the thread.
    void abandon();

private:
    static int readFromQueue(void *context, char *buffer, int length);

    QString m_xsdPath;
    std::unique_ptr<CompiledSchema> m_schema;
    BackgroundTask m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<char>> m_queue;
    std::vector<std::vector<char>> m_spare; // batches read, kept for reuse
    size_t m_offset = 0; // into the front batch
    qsizetype m_queued = 0;
    qint64 m_fed = 0; // the writer's side
    qint64 m_read = 0;
    bool m_closed = false;
    bool m_abandoned = false;
    bool m_finished = false;
    bool m_valid = false;
    QString m_reason;
};

// The same, showing the reason in the platform's message box (critical icon,
// the program's title). No message on success.
bool ValidateAgainstSchema(const QString &xmlPath, const QString &xsdPath);

// Whether the XML library takes `text` as a value of the built-in type the
// return's amounts (xs:decimal) or serial numbers (xs:positiveInteger) build
// on. The library has its own limits (digits), which a return must respect.
bool FitsSchemaDecimal(const QString &text);
bool FitsSchemaPositiveInteger(const QString &text);
