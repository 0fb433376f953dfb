#include "CliCommand.h"

#include "returns/ExportCommand.h"
#include "returns/SchemaValidation.h"

namespace {
const QString kUsage = QStringLiteral(
    "validate FILE [--schema FILE]\n"
    "         check a return against the schema (ACES_DLR.xsd of the application folder, else the installed one)");

int runValidate(const QStringList &args)
{
    const CliOptions options(args, {QStringLiteral("--schema")});
    if (!options.ok() || options.positional().size() != 1)
        return cliUsageError(options.ok() ? QStringLiteral("one return file is needed") : options.error(), kUsage);
    const QString file = options.positional().first();
    if (!ValidateAgainstSchema(file, options.value(QStringLiteral("--schema"), ReturnSchemaPath())))
        return CliFailed;
    cliOut(file + QStringLiteral(": valid"));
    return CliOk;
}
} // namespace

QV_CLI_COMMAND(QStringLiteral("validate"), kUsage, runValidate)
