#include "ReturnLeaves.h"

void CollectReturnLeaves(xmlNodePtr node, ReturnLeaves *out)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        bool leaf = true;
        for (xmlNodePtr c = child->children; c; c = c->next)
            leaf = leaf && c->type != XML_ELEMENT_NODE;
        if (!leaf) {
            CollectReturnLeaves(child, out);
            continue;
        }
        const QByteArray name(reinterpret_cast<const char *>(child->name));
        if (out->contains(name))
            continue;
        xmlChar *text = xmlNodeGetContent(child);
        out->insert(name, QString::fromUtf8(reinterpret_cast<const char *>(text)));
        xmlFree(text);
    }
}
