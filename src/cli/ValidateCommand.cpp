#include "CliCommand.h"
#include "returns/ExportCommand.h"
#include "returns/SchemaValidation.h"

namespace {
const QCommandLineOption kSchema(QStringLiteral("schema"), QStringLiteral("the schema to validate against"),
                                 QStringLiteral("FILE"));

int runValidate(const CliOptions &options)
{
    const QString file = options.positional().first();
    if (!ValidateAgainstSchema(file, options.value(kSchema, ReturnSchemaPath())))
        return CliFailed;
    cliOut(file + QStringLiteral(": valid"));
    return CliOk;
}
} // namespace

CliCommand ValidateCliCommand()
{
    return {QStringLiteral("validate"),
            QStringLiteral("FILE"),
            QStringLiteral("check a return against the schema (ACES_DLR.xsd of the application folder, else the "
                           "installed one)"),
            {{kSchema}},
            runValidate};
}
