#pragma once

#include <QList>
#include <QObject>

#include <functional>

// One Qt Test executable per folder runs every test class registered in it.
namespace TestRegistry {
using Factory = std::function<QObject *()>;
int add(const char *name, Factory factory);
int runAll(int argc, char **argv);
} // namespace TestRegistry

#define QV_REGISTER_TEST(Class)                                                                                        \
    static const int qv_registered_##Class = TestRegistry::add(#Class, [] { return new Class; });
