// The main window's menu and accelerator table, as data.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct MenuItem {
    std::string_view text;  // with '&' before the mnemonic
    uint32_t command;
};

struct MenuPopup {
    std::string_view text;
    std::span<const MenuItem> items;
};

std::span<const MenuPopup> MainMenu();

// Virtual-key codes of the accelerator keys.
// Where <windows.h> came first, its macros of the same names and values stand in for these.
#ifndef VK_BACK
inline constexpr uint16_t VK_BACK = 0x08;
#endif
#ifndef VK_INSERT
inline constexpr uint16_t VK_INSERT = 0x2D;
#endif
#ifndef VK_DELETE
inline constexpr uint16_t VK_DELETE = 0x2E;
#endif
#ifndef VK_F6
inline constexpr uint16_t VK_F6 = 0x75;
#endif

// Accelerator flags: a virtual-key entry with no menu inversion, and its modifiers; as above,
// <windows.h> may define them first.
#ifndef FVIRTKEY
inline constexpr uint8_t FVIRTKEY = 0x01;
#endif
#ifndef FNOINVERT
inline constexpr uint8_t FNOINVERT = 0x02;
#endif
#ifndef FSHIFT
inline constexpr uint8_t FSHIFT = 0x04;
#endif
#ifndef FCONTROL
inline constexpr uint8_t FCONTROL = 0x08;
#endif
#ifndef FALT
inline constexpr uint8_t FALT = 0x10;
#endif

struct Accelerator {
    uint8_t flags;
    uint16_t key;  // virtual-key code; letters are their upper-case character
    uint32_t command;
};

std::span<const Accelerator> MainAccelerators();
