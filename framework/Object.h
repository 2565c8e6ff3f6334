// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The root of the framework's classes.
class CObject {
public:
    virtual ~CObject() = default;
};
