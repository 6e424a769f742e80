// The pictures of the toolbar buttons, drawn by the program itself on a
// button face of 16 x 15 units (and at twice that size for screens that
// want it). The framework draws those of its standard commands; the
// program registers painters for its own commands.
#pragma once

#include <QIcon>

class QPainter;

namespace fw {

// Draws a button picture on the 16 x 15 face (transparent background).
using IconPainter = void (*)(QPainter&);

void register_tool_icon(int commandId, IconPainter painter);
// True when a painter is registered for the command (or it is one of the
// framework's standard commands).
bool has_tool_icon(int commandId);
// The picture of a command's button; a plain face for a command without one.
QIcon tool_icon(int commandId);

}  // namespace fw
