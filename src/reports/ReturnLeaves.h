#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <libxml/tree.h>

// The leaf elements below one part of a return, by name, their text
// unescaped. A valid return names each leaf once per part; in any other file
// the first of a name wins.
using ReturnLeaves = QHash<QByteArray, QString>;
void CollectReturnLeaves(xmlNodePtr node, ReturnLeaves *out);
