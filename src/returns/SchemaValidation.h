#pragma once

#include <QString>

// Every "&" becomes "&amp;", nothing else changes; an "&" that already starts
// "&amp;" is replaced again ("&amp;" gives "&amp;amp;").
QString EscapeAmpersand(const QString &text);

// Text for between tags: EscapeAmpersand, then "<" and ">".
QString EscapeXmlText(const QString &text);
// Text for a double-quoted attribute value: as above, and the quotation mark.
QString EscapeXmlAttribute(const QString &text);

// Streams `xmlPath` (trimmed of blanks) through a validator for the schema at
// `xsdPath`; memory does not grow with the file. No network access, no
// external entities or DTDs loaded. On failure `reason` holds the first problem:
// "Load XSD failed: " or "Load XML failed: " and the parser's reason when a
// file does not load, the validation's reason alone otherwise.
bool ValidateXmlFile(const QString &xmlPath, const QString &xsdPath, QString *reason);

// The same, showing the reason in the platform's message box (critical icon,
// the program's title). No message on success.
bool ValidateAgainstSchema(const QString &xmlPath, const QString &xsdPath);

// Whether the XML library takes `text` as a value of the built-in type the
// return's amounts (xs:decimal) or serial numbers (xs:positiveInteger) build
// on. The library has its own limits (digits), which a return must respect.
bool FitsSchemaDecimal(const QString &text);
bool FitsSchemaPositiveInteger(const QString &text);
