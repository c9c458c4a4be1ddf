// The dialog templates: caption, font, size and every control with its kind, identifier, text,
// dialog-unit geometry and the styles the dialog layer acts on. Every template is a modal
// frame with a caption and a close box, placed by centring over its owner.
#pragma once

#include "platform/dialog_units.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

enum class ControlKind {
    Static,  // left-aligned text
    Icon,    // an icon resource, at the system's icon size
    Edit,    // single-line edit
    PushButton,
    AutoRadioButton,  // checks itself and clears the others of its group when clicked
    AutoCheckBox,     // two states, toggles itself when clicked
};

// Styles, with the system's values.
// Where <windows.h> came first, its macros of the same names and values stand in for these.
#ifndef WS_GROUP
inline constexpr uint32_t WS_GROUP = 0x00020000;  // starts a group, ending the one before
#endif
#ifndef WS_TABSTOP
inline constexpr uint32_t WS_TABSTOP = 0x00010000;  // reached by Tab
#endif
#ifndef BS_DEFPUSHBUTTON
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;  // the default button, pressed by Enter
#endif
#ifndef WS_EX_STATICEDGE
inline constexpr uint32_t WS_EX_STATICEDGE = 0x00020000;  // extended style: thin sunken edge
#endif

struct DialogControl {
    ControlKind kind;
    int32_t id;
    std::string_view text;  // UTF-8; '\n' breaks a line of a static text
    Rect rect;              // in dialog units
    uint32_t style = 0;
    uint32_t exStyle = 0;
    uint32_t iconId = 0;  // the icon resource of an icon control
};

struct DialogTemplate {
    uint32_t id;
    std::string_view caption;
    std::string_view fontName;
    int32_t fontPoints;
    int32_t width;  // client area, in dialog units
    int32_t height;
    std::span<const DialogControl> controls;  // template order: tab order and z-order
};

// The template with the given id; null for an id no template has.
const DialogTemplate* FindDialogTemplate(uint32_t id);

// The group that begins at controls[first]: that control and the ones after it up to the next
// control with WS_GROUP, or to the end of the template.
std::span<const DialogControl> GroupFrom(const DialogTemplate& dialog, size_t first);

// The automatic radio buttons of the group that starts at the control `firstId`, in template
// order: the buttons a radio exchange numbers 0, 1, …; none when no control has that id.
std::vector<const DialogControl*> RadioButtonsFrom(const DialogTemplate& dialog, int32_t firstId);
