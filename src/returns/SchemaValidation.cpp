#include "SchemaValidation.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>

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
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"':
            if (attribute) {
                out += QLatin1String("&quot;");
                break;
            }
            Q_FALLTHROUGH();
        default: out += p[i];
        }
    }
    return out;
}

// Keeps the first error of each kind that libxml2 reports.
struct ErrorCollector
{
    QString parserError;     // not well-formed, cannot be read
    QString validationError; // well-formed but not valid
    QString schemaError;     // the schema does not compile

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

extern "C" void ignoreGenericError(void *, const char *, ...) {}

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

    const QByteArray xsdName = QFile::encodeName(xsdPath);
    xmlDocPtr schemaDoc = xmlReadFile(xsdName.constData(), nullptr, options);
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
        *reason = !errors.schemaError.isEmpty() ? errors.schemaError
                  : !errors.parserError.isEmpty() ? errors.parserError
                                                  : QStringLiteral("The schema cannot be compiled.");
        return false;
    }

    bool ok = false;
    xmlSchemaValidCtxtPtr validContext = xmlSchemaNewValidCtxt(schema);
    const QByteArray xmlName = QFile::encodeName(TrimBlanks(xmlPath));
    xmlTextReaderPtr reader = validContext ? xmlReaderForFile(xmlName.constData(), nullptr, options) : nullptr;
    if (!validContext) {
        *reason = QStringLiteral("The schema validator cannot be created.");
    } else if (!reader) {
        *reason = QStringLiteral("Load XML failed: ")
                  + (errors.parserError.isEmpty() ? QStringLiteral("the file cannot be read") : errors.parserError);
    } else {
        xmlSchemaSetValidStructuredErrors(validContext, collectStructuredError, &errors);
        xmlTextReaderSetStructuredErrorHandler(reader, collectStructuredError, &errors);
        int result = xmlTextReaderSchemaValidateCtxt(reader, validContext, 0);
        if (result != 0) {
            *reason = QStringLiteral("The schema validator cannot be attached.");
        } else {
            // Read to the end even after a validity error: a file that is not
            // well-formed is reported as such, whatever came before.
            while ((result = xmlTextReaderRead(reader)) == 1) {
                // A return never has a DTD; one could only bring in entities the
                // validator does not see, so the file is refused as not loading.
                if (xmlTextReaderNodeType(reader) == XML_READER_TYPE_DOCUMENT_TYPE) {
                    if (errors.parserError.isEmpty())
                        errors.parserError = QStringLiteral("DTD is prohibited.");
                    break;
                }
            }
            if (!errors.parserError.isEmpty() || (result < 0 && errors.validationError.isEmpty())) {
                *reason = QStringLiteral("Load XML failed: ")
                          + (errors.parserError.isEmpty() ? QStringLiteral("the file cannot be read")
                                                          : errors.parserError);
            } else if (!errors.validationError.isEmpty()) {
                *reason = errors.validationError;
            } else if (xmlTextReaderIsValid(reader) != 1) {
                *reason = QStringLiteral("The file is not valid against the schema.");
            } else {
                ok = true;
            }
        }
    }
    if (reader)
        xmlFreeTextReader(reader);
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
