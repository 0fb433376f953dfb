#include "TestRegistry.h"

#include <QByteArray>
#include <QTest>

#include <memory>
#include <vector>

// Qt Test's own (exported, not in its public headers). Qt 6.4 keeps a skip in
// one class's initTestCase set for the next class: every later class in the
// executable would then run nothing and count as passed.
class QTestResult
{
public:
    static void setSkipCurrentTest(bool value);
};

namespace {
struct Registered
{
    QByteArray name;
    TestRegistry::Factory factory;
};

std::vector<Registered> &registry()
{
    static std::vector<Registered> r;
    return r;
}
} // namespace

int TestRegistry::add(const char *name, Factory factory)
{
    registry().push_back({QByteArray(name), std::move(factory)});
    return int(registry().size());
}

int TestRegistry::runAll(int argc, char **argv)
{
    // "-class Name" runs one class; everything else goes to Qt Test.
    QByteArray only;
    QList<QByteArray> rest;
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "-class" && i + 1 < argc) {
            only = argv[++i];
            continue;
        }
        rest << QByteArray(argv[i]);
    }
    std::vector<char *> args;
    for (QByteArray &a : rest)
        args.push_back(a.data());

    int failures = 0;
    for (const Registered &r : registry()) {
        if (!only.isEmpty() && r.name != only)
            continue;
        std::unique_ptr<QObject> test(r.factory());
        QTestResult::setSkipCurrentTest(false);
        failures += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}
