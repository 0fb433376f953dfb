#include "SchemaValidation.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/RegularFile.h"
#include "app/UserInterface.h"

#include <QFile>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <functional>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlschemastypes.h>
#include <memory>

namespace {
// Keeps the first error of each kind that libxml2 reports.
struct ErrorCollector
{
    QString parserError; // not well-formed, cannot be read
    QString validationError; // well-formed but not valid
    QString schemaError; // the schema does not compile

    static QString text(const xmlError *error)
    {
        QString message = QString::fromUtf8(error->message ? error->message : "unknown error").trimmed();
        if (error->line > 0)
            message += QStringLiteral(" (line %1)").arg(error->line);
        return message;
    }

    static void handler(void *userData, const xmlError *error)
    {
        auto *self = static_cast<ErrorCollector *>(userData);
        if (!error || error->level < XML_ERR_ERROR)
            return;
        QString *slot = nullptr;
        switch (error->domain) {
        case XML_FROM_SCHEMASV:
            slot = &self->validationError;
            break;
        case XML_FROM_SCHEMASP:
            slot = &self->schemaError;
            break;
        default:
            slot = &self->parserError;
        }
        if (slot->isEmpty())
            *slot = text(error);
    }
};

extern "C" void collectStructuredError(void *userData, xmlErrorPtr error)
{
    ErrorCollector::handler(userData, error);
}

// libxml2 reads the files through these, from a QFile the caller opened.
extern "C" int readFromFile(void *context, char *buffer, int length)
{
    const qint64 n = static_cast<QFile *>(context)->read(buffer, length);
    return n < 0 ? -1 : int(n);
}

extern "C" int keepFileOpen(void *)
{
    return 0;
}

extern "C" void ignoreGenericError(void *, const char *, ...) {}

struct DocumentTypeSeen
{
    bool seen = false;
};

// A return never has a DTD; one could only bring in entities the validator
// does not see, so such a file is refused as not loading.
extern "C" void refuseDocumentType(void *userData, const xmlChar *, const xmlChar *, const xmlChar *)
{
    static_cast<DocumentTypeSeen *>(userData)->seen = true;
}

// Routes libxml2's process-wide handlers to the collector, and keeps its
// entity loader off the network, for as long as one validation runs.
class LibxmlScope
{
public:
    explicit LibxmlScope(ErrorCollector *collector)
        : m_oldLoader(xmlGetExternalEntityLoader())
    {
        xmlSetStructuredErrorFunc(collector, collectStructuredError);
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
        xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
    }
    ~LibxmlScope()
    {
        xmlSetExternalEntityLoader(m_oldLoader);
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        xmlSetGenericErrorFunc(nullptr, nullptr);
    }

private:
    xmlExternalEntityLoader m_oldLoader;
};
} // namespace

namespace {
using ReadCallback = int (*)(void *context, char *buffer, int length);

// Where to keep why the first file libxml2 asked for on this thread could not
// be opened, while a schema is compiled. A plain pointer: a thread_local with a
// destructor crashes at thread exit on Windows (mingw frees its storage first).
thread_local QString *t_openError = nullptr;

// Every local file libxml2 loads (a schema's includes and imports, a document
// read by name) is opened as the program opens any file it reads: only when
// it is a regular file, and never waiting for a writer, so a FIFO cannot hang it.
extern "C" int matchLocalFile(const char *uri)
{
    return uri && (std::strncmp(uri, "file:", 5) == 0 || !std::strstr(uri, "://"));
}

// A file refused: libxml2 would try its own opener after a null one, so it
// gets this, which reads as an error.
char t_refused;

extern "C" void *openLocalFile(const char *uri)
{
    QString path = QString::fromUtf8(uri);
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();
    auto file = std::make_unique<QFile>();
    QString error;
    if (!OpenRegularFile(file.get(), path, &error)) {
        if (t_openError && t_openError->isEmpty())
            *t_openError = error;
        return &t_refused;
    }
    return file.release();
}

extern "C" int readLocalFile(void *context, char *buffer, int length)
{
    return context == &t_refused ? -1 : readFromFile(context, buffer, length);
}

extern "C" int closeLocalFile(void *context)
{
    if (context != &t_refused)
        delete static_cast<QFile *>(context);
    return 0;
}

void initLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlRegisterInputCallbacks(matchLocalFile, openLocalFile, readLocalFile, closeLocalFile);
    });
}
} // namespace

// A schema compiled once, on the thread that loads it; validations may use it on any thread.
struct CompiledSchema
{
    xmlDocPtr document = nullptr;
    xmlSchemaPtr schema = nullptr;
    ~CompiledSchema()
    {
        xmlSchemaFree(schema);
        xmlFreeDoc(document);
    }
};

namespace {
// Loads and compiles the schema at `xsdPath`; null with `reason` when it does not.
std::unique_ptr<CompiledSchema> compileSchema(const QString &xsdPath, QString *reason)
{
    ErrorCollector errors;
    LibxmlScope scope(&errors);
    QString includeError;
    t_openError = &includeError;
    const auto forget = qScopeGuard([] { t_openError = nullptr; });

    // Opened by us, never by name inside libxml2, so a FIFO cannot hang it.
    QFile xsdFile;
    QString openError;
    if (!OpenRegularFile(&xsdFile, xsdPath, &openError)) {
        *reason = QStringLiteral("Load XSD failed: ") + openError;
        return nullptr;
    }
    auto compiled = std::make_unique<CompiledSchema>();
    const QByteArray xsdName = QFile::encodeName(xsdPath);
    compiled->document = xmlReadIO(readFromFile, keepFileOpen, &xsdFile, xsdName.constData(), nullptr, XML_PARSE_NONET);
    xsdFile.close();
    if (!compiled->document) {
        *reason = QStringLiteral("Load XSD failed: ")
                  + (errors.parserError.isEmpty() ? QStringLiteral("the file cannot be read") : errors.parserError);
        return nullptr;
    }
    xmlSchemaParserCtxtPtr parserContext = xmlSchemaNewDocParserCtxt(compiled->document);
    if (parserContext) {
        xmlSchemaSetParserStructuredErrors(parserContext, collectStructuredError, &errors);
        compiled->schema = xmlSchemaParse(parserContext);
        xmlSchemaFreeParserCtxt(parserContext);
    }
    if (!compiled->schema) {
        // A part the schema includes that cannot be opened is named as such.
        *reason = !includeError.isEmpty()         ? QStringLiteral("Load XSD failed: ") + includeError
                  : !errors.schemaError.isEmpty() ? errors.schemaError
                  : !errors.parserError.isEmpty() ? errors.parserError
                                                  : QStringLiteral("The schema cannot be compiled.");
        return nullptr;
    }
    return compiled;
}

// Streams the document that `read` delivers through a validator for
// `schema`. `openDocument` runs first; false from it stops with its reason.
// Runs on whichever thread calls it: libxml2 keeps its error handlers per thread.
bool validateDocument(xmlSchemaPtr schema, ReadCallback read, void *context,
                      const std::function<bool(QString *)> &openDocument, QString *reason)
{
    ErrorCollector errors;
    LibxmlScope scope(&errors);
    QString openError;
    bool ok = false;
    xmlSchemaValidCtxtPtr validContext = xmlSchemaNewValidCtxt(schema);
    if (!validContext) {
        *reason = QStringLiteral("The schema validator cannot be created.");
    } else if (openDocument && !openDocument(&openError)) {
        *reason = QStringLiteral("Load XML failed: ") + openError;
    } else {
        xmlSchemaSetValidStructuredErrors(validContext, collectStructuredError, &errors);
        // The validator sees the parser's events as they come (no tree is built),
        // so memory stays flat however long the return is.
        xmlSAXHandler sax;
        memset(&sax, 0, sizeof sax);
        sax.initialized = XML_SAX2_MAGIC;
        sax.internalSubset = refuseDocumentType;
        DocumentTypeSeen doctype;
        xmlParserInputBufferPtr input =
            xmlParserInputBufferCreateIO(read, keepFileOpen, context, XML_CHAR_ENCODING_NONE);
        const int result = input ? xmlSchemaValidateStream(validContext, input, XML_CHAR_ENCODING_NONE, &sax, &doctype)
                                 : -1; // the stream takes the input buffer
        if (doctype.seen && errors.parserError.isEmpty())
            errors.parserError = QStringLiteral("DTD is prohibited.");
        if (!errors.parserError.isEmpty() || (result < 0 && errors.validationError.isEmpty())) {
            // Not well-formed wins over not valid, wherever each was found.
            *reason = QStringLiteral("Load XML failed: ")
                      + (errors.parserError.isEmpty() ? QStringLiteral("the file cannot be read") : errors.parserError);
        } else if (!errors.validationError.isEmpty()) {
            *reason = errors.validationError;
        } else if (result != 0) {
            *reason = QStringLiteral("The file is not valid against the schema (code %1).").arg(result);
        } else {
            ok = true;
        }
    }
    if (validContext)
        xmlSchemaFreeValidCtxt(validContext);
    return ok;
}
} // namespace

bool ValidateXmlFile(const QString &xmlPath, const QString &xsdPath, QString *reason)
{
    initLibxml();
    const std::unique_ptr<CompiledSchema> schema = compileSchema(xsdPath, reason);
    if (!schema)
        return false;
    const QString path = TrimBlanks(xmlPath);
    QFile xmlFile;
    return validateDocument(
        schema->schema, readFromFile, &xmlFile, [&](QString *error) { return OpenRegularFile(&xmlFile, path, error); },
        reason);
}

StreamValidator::StreamValidator(const QString &xsdPath)
    : m_xsdPath(xsdPath)
{
    initLibxml(); // before a second thread uses the library
}

StreamValidator::~StreamValidator()
{
    abandon();
}

bool StreamValidator::start(QString *reason)
{
    if (m_thread.joinable() || m_finished)
        return m_schema != nullptr;
    QString compileReason;
    m_schema = compileSchema(m_xsdPath, &compileReason);
    if (!m_schema) {
        std::lock_guard lock(m_mutex);
        m_reason = compileReason;
        m_finished = true;
        if (reason)
            *reason = compileReason;
        return false;
    }
    m_thread.start([this] {
        QString reason;
        const bool valid = validateDocument(m_schema->schema, readFromQueue, this, {}, &reason);
        std::lock_guard lock(m_mutex);
        m_valid = valid;
        m_reason = reason;
        m_finished = true;
        m_queue.clear(); // what is left is never read
        m_changed.notify_all();
    });
    return true;
}

void StreamValidator::feed(const char *data, qsizetype size)
{
    if (size <= 0)
        return;
    m_fed += size;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished || m_queued < kQueueBytes; });
    if (m_finished || m_closed)
        return; // the validator has its answer: the rest of the document changes nothing
    std::vector<char> batch;
    if (!m_spare.empty()) {
        batch = std::move(m_spare.back());
        m_spare.pop_back();
    }
    batch.assign(data, data + size);
    m_queued += size;
    m_queue.push_back(std::move(batch));
    m_changed.notify_all();
}

void StreamValidator::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_changed.notify_all();
}

bool StreamValidator::waitFor(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_finished; });
}

qint64 StreamValidator::bytesRead()
{
    std::lock_guard lock(m_mutex);
    return m_finished ? m_fed : m_read;
}

bool StreamValidator::finish(QString *reason)
{
    close();
    if (m_thread.joinable())
        m_thread.join();
    if (!m_finished) {
        *reason = QStringLiteral("The validation did not run.");
        return false;
    }
    *reason = m_reason;
    return m_valid;
}

void StreamValidator::abandon()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_abandoned = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

int StreamValidator::readFromQueue(void *context, char *buffer, int length)
{
    auto *self = static_cast<StreamValidator *>(context);
    std::unique_lock lock(self->m_mutex);
    self->m_changed.wait(lock, [self] { return !self->m_queue.empty() || self->m_closed; });
    if (self->m_abandoned)
        return -1;
    if (self->m_queue.empty())
        return 0; // the end of the document
    std::vector<char> &front = self->m_queue.front();
    const size_t n = std::min(size_t(length), front.size() - self->m_offset);
    memcpy(buffer, front.data() + self->m_offset, n);
    self->m_offset += n;
    self->m_read += qint64(n);
    if (self->m_offset == front.size()) {
        self->m_queued -= qsizetype(front.size());
        self->m_offset = 0;
        if (self->m_spare.size() < 4)
            self->m_spare.push_back(std::move(front));
        self->m_queue.pop_front();
        self->m_changed.notify_all();
    }
    return int(n);
}

bool ValidateAgainstSchema(const QString &xmlPath, const QString &xsdPath)
{
    QString reason;
    if (ValidateXmlFile(xmlPath, xsdPath, &reason))
        return true;
    StandardMessage(reason, kAppTitle, StdIcon::Critical, StdButtons::Ok, StdResult::Ok);
    return false;
}

namespace {
bool fitsBuiltIn(xmlSchemaValType type, const QString &text)
{
    const xmlSchemaTypePtr builtIn = xmlSchemaGetBuiltInType(type);
    if (!builtIn)
        return false;
    const QByteArray utf8 = text.toUtf8();
    return xmlSchemaValidatePredefinedType(builtIn, reinterpret_cast<const xmlChar *>(utf8.constData()), nullptr) == 0;
}
} // namespace

bool FitsSchemaDecimal(const QString &text)
{
    // An amount as the return writes it, "-123.45", of up to 18 digits fits
    // whatever the library's limit (24 digits); only longer ones are asked.
    qsizetype digits = 0;
    bool point = false;
    bool plain = !text.isEmpty();
    for (qsizetype i = 0; plain && i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && !point && i > 0 && i + 1 < text.size())
            point = true;
        else
            plain = c == '-' && i == 0 && text.size() > 1;
    }
    if (plain && digits > 0 && digits <= 18)
        return true;
    return fitsBuiltIn(XML_SCHEMAS_DECIMAL, text);
}

bool FitsSchemaPositiveInteger(const QString &text)
{
    return fitsBuiltIn(XML_SCHEMAS_PINTEGER, text);
}
