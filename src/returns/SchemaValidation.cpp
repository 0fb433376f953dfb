#include "SchemaValidation.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/RegularFile.h"
#include "app/UserInterface.h"

#include <QFile>

#include <cstring>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlschemastypes.h>

QString EscapeAmpersand(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out = text;
    out.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    return out;
}

namespace {
QString escape(const QString &text, bool attribute)
{
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c == '&' || c == '<' || c == '>' || (attribute && c == '"'))
            break;
    }
    if (i == n)
        return text;
    QString out;
    out.reserve(n + 16);
    out.append(p, i);
    for (; i < n; ++i) {
        const char16_t c = p[i].unicode();
        switch (c) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            if (attribute) {
                out += QLatin1String("&quot;");
                break;
            }
            Q_FALLTHROUGH();
        default:
            out += p[i];
        }
    }
    return out;
}

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

QString EscapeXmlText(const QString &text)
{
    return escape(text, false);
}

QString EscapeXmlAttribute(const QString &text)
{
    return escape(text, true);
}

bool ValidateXmlFile(const QString &xmlPath, const QString &xsdPath, QString *reason)
{
    xmlInitParser();
    ErrorCollector errors;
    LibxmlScope scope(&errors);
    const int options = XML_PARSE_NONET;

    // Opened by us, never by name inside libxml2, so a FIFO cannot hang it.
    QFile xsdFile;
    QString openError;
    if (!OpenRegularFile(&xsdFile, xsdPath, &openError)) {
        *reason = QStringLiteral("Load XSD failed: ") + openError;
        return false;
    }
    const QByteArray xsdName = QFile::encodeName(xsdPath);
    xmlDocPtr schemaDoc = xmlReadIO(readFromFile, keepFileOpen, &xsdFile, xsdName.constData(), nullptr, options);
    xsdFile.close();
    if (!schemaDoc) {
        *reason = QStringLiteral("Load XSD failed: ")
                  + (errors.parserError.isEmpty() ? QStringLiteral("the file cannot be read") : errors.parserError);
        return false;
    }

    xmlSchemaParserCtxtPtr parserContext = xmlSchemaNewDocParserCtxt(schemaDoc);
    xmlSchemaPtr schema = nullptr;
    if (parserContext) {
        xmlSchemaSetParserStructuredErrors(parserContext, collectStructuredError, &errors);
        schema = xmlSchemaParse(parserContext);
        xmlSchemaFreeParserCtxt(parserContext);
    }
    if (!schema) {
        xmlFreeDoc(schemaDoc);
        *reason = !errors.schemaError.isEmpty()   ? errors.schemaError
                  : !errors.parserError.isEmpty() ? errors.parserError
                                                  : QStringLiteral("The schema cannot be compiled.");
        return false;
    }

    bool ok = false;
    const QString path = TrimBlanks(xmlPath);
    QFile xmlFile;
    xmlSchemaValidCtxtPtr validContext = xmlSchemaNewValidCtxt(schema);
    if (!validContext) {
        *reason = QStringLiteral("The schema validator cannot be created.");
    } else if (!OpenRegularFile(&xmlFile, path, &openError)) {
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
            xmlParserInputBufferCreateIO(readFromFile, keepFileOpen, &xmlFile, XML_CHAR_ENCODING_NONE);
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
    xmlSchemaFree(schema);
    xmlFreeDoc(schemaDoc);
    return ok;
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
    return fitsBuiltIn(XML_SCHEMAS_DECIMAL, text);
}

bool FitsSchemaPositiveInteger(const QString &text)
{
    return fitsBuiltIn(XML_SCHEMAS_PINTEGER, text);
}
