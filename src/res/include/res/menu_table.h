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
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E;
inline constexpr uint16_t VK_F6 = 0x75;

// Accelerator flags: a virtual-key entry with no menu inversion, and its modifiers.
inline constexpr uint8_t FVIRTKEY = 0x01;
inline constexpr uint8_t FNOINVERT = 0x02;
inline constexpr uint8_t FSHIFT = 0x04;
inline constexpr uint8_t FCONTROL = 0x08;
inline constexpr uint8_t FALT = 0x10;

struct Accelerator {
    uint8_t flags;
    uint16_t key;  // virtual-key code; letters are their upper-case character
    uint32_t command;
};

std::span<const Accelerator> MainAccelerators();
