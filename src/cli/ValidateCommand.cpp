#include "CliCommand.h"

#include "returns/ExportCommand.h"
#include "returns/SchemaValidation.h"

namespace {
int runValidate(const QStringList &args)
{
    const CliOptions options(args, {QStringLiteral("--schema")});
    if (!options.ok() || options.positional().size() != 1) {
        cliErr(options.ok() ? QStringLiteral("one return file is needed") : options.error());
        cliErr(QStringLiteral("usage: quorvant-cli validate FILE [--schema FILE]"));
        return CliUsage;
    }
    const QString file = options.positional().first();
    if (!ValidateAgainstSchema(file, options.value(QStringLiteral("--schema"), ReturnSchemaPath())))
        return CliFailed;
    cliOut(file + QStringLiteral(": valid"));
    return CliOk;
}
} // namespace

QV_CLI_COMMAND(QStringLiteral("validate"),
               QStringLiteral("validate FILE [--schema FILE]   check a return against the schema (ACES_DLR.xsd)"),
               runValidate)
