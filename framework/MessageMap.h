// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Message maps: static tables of (message or notification, control id,
// handler), searched in declaration order, then in the base class's table.
#include <type_traits>

#include "framework/DropFiles.h"
#include "framework/Messages.h"
#include "framework/Object.h"

class CDC;

namespace fw {

using MessageThunk = LRESULT (*)(CObject* target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;   // WM_COMMAND for notifications and commands
    UINT code;      // notification code (BN_CLICKED, EN_CHANGE, 0 for commands)
    UINT id;        // control or command id
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
    std::size_t count;
};

// The first entry that matches, searching a class's table and then its
// bases' in turn; null when none does.
template <class Matches> const MessageMapEntry* FindEntry(const MessageMap* map, Matches matches)
{
    for (; map; map = map->base ? map->base() : nullptr)
        for (std::size_t i = 0; i < map->count; ++i)
            if (matches(map->entries[i]))
                return &map->entries[i];
    return nullptr;
}

template <class T> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };
template <auto Fn> using ClassOf = typename MemberOf<decltype(Fn)>::Class;

// BN_CLICKED, EN_CHANGE and menu commands: void Handler().
template <auto Fn> constexpr MessageMapEntry OnNotify(UINT code, UINT id)
{
    return {WM_COMMAND, code, id, [](CObject* w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<ClassOf<Fn>*>(w)->*Fn)();
                return 0;
            }};
}
template <auto Fn> constexpr MessageMapEntry OnClicked(UINT id) { return OnNotify<Fn>(BN_CLICKED, id); }
template <auto Fn> constexpr MessageMapEntry OnEnChange(UINT id) { return OnNotify<Fn>(EN_CHANGE, id); }
template <auto Fn> constexpr MessageMapEntry OnCommand(UINT id) { return OnNotify<Fn>(0, id); }

// Any message: LRESULT Handler(WPARAM, LPARAM).
template <auto Fn> constexpr MessageMapEntry OnMessage(UINT message)
{
    return {message, 0, 0, [](CObject* w, WPARAM wp, LPARAM lp) -> LRESULT {
                return (static_cast<ClassOf<Fn>*>(w)->*Fn)(wp, lp);
            }};
}

// WM_SYSCOMMAND: void OnSysCommand(UINT id, LPARAM).
template <auto Fn> constexpr MessageMapEntry OnSysCommandMessage()
{
    return {WM_SYSCOMMAND, 0, 0, [](CObject* w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<ClassOf<Fn>*>(w)->*Fn)(static_cast<UINT>(wp), lp);
                return 0;
            }};
}

// WM_PAINT: void OnPaint().
template <auto Fn> constexpr MessageMapEntry OnPaintMessage()
{
    return {WM_PAINT, 0, 0, [](CObject* w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<ClassOf<Fn>*>(w)->*Fn)();
                return 0;
            }};
}

// WM_QUERYDRAGICON: HICON-like handle OnQueryDragIcon().
template <auto Fn> constexpr MessageMapEntry OnQueryDragIconMessage()
{
    return {WM_QUERYDRAGICON, 0, 0, [](CObject* w, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((static_cast<ClassOf<Fn>*>(w)->*Fn)());
            }};
}

// WM_ERASEBKGND: BOOL OnEraseBkgnd(CDC*).
template <auto Fn> constexpr MessageMapEntry OnEraseBkgndMessage()
{
    return {WM_ERASEBKGND, 0, 0, [](CObject* w, WPARAM wp, LPARAM) -> LRESULT {
                return (static_cast<ClassOf<Fn>*>(w)->*Fn)(reinterpret_cast<CDC*>(wp));
            }};
}

// WM_SIZE: void OnSize(UINT type, int cx, int cy).
template <auto Fn> constexpr MessageMapEntry OnSizeMessage()
{
    return {WM_SIZE, 0, 0, [](CObject* w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<ClassOf<Fn>*>(w)->*Fn)(static_cast<UINT>(wp), LOWORD(static_cast<std::uintptr_t>(lp)),
                                                     HIWORD(static_cast<std::uintptr_t>(lp)));
                return 0;
            }};
}

// WM_DROPFILES: void OnDropFiles(HDROP).
template <auto Fn> constexpr MessageMapEntry OnDropFilesMessage()
{
    return {WM_DROPFILES, 0, 0, [](CObject* w, WPARAM wp, LPARAM) -> LRESULT {
                (static_cast<ClassOf<Fn>*>(w)->*Fn)(reinterpret_cast<HDROP>(wp));
                return 0;
            }};
}

} // namespace fw

// A class with a message map declares these two and defines them with
// FW_MESSAGE_MAP (below) listing its entries in order.
#define FW_DECLARE_MESSAGE_MAP()                        \
public:                                                 \
    static const fw::MessageMap* ThisMessageMap();      \
    const fw::MessageMap* GetMessageMap() const override

#define FW_MESSAGE_MAP(Class, Base, ...)                                                  \
    const fw::MessageMap* Class::GetMessageMap() const { return ThisMessageMap(); }      \
    const fw::MessageMap* Class::ThisMessageMap()                                        \
    {                                                                                     \
        static const fw::MessageMapEntry entries[] = {__VA_ARGS__};                       \
        static const fw::MessageMap map{&Base::ThisMessageMap, entries,                   \
                                        sizeof(entries) / sizeof(entries[0])};            \
        return &map;                                                                      \
    }

#define FW_EMPTY_MESSAGE_MAP(Class, Base)                                                 \
    const fw::MessageMap* Class::GetMessageMap() const { return ThisMessageMap(); }      \
    const fw::MessageMap* Class::ThisMessageMap()                                        \
    {                                                                                     \
        static const fw::MessageMap map{&Base::ThisMessageMap, nullptr, 0};               \
        return &map;                                                                      \
    }
