#pragma once

// The root of the framework's classes.
class CObject {
public:
    virtual ~CObject() = default;
};
