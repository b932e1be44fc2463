#pragma once

#include "app/Seams.h"

// Restores the seams in use at construction when it goes out of scope.
class SeamsOverride
{
public:
    SeamsOverride() : m_saved(seams()) {}
    ~SeamsOverride() { seams() = m_saved; }
    SeamsOverride(const SeamsOverride &) = delete;
    SeamsOverride &operator=(const SeamsOverride &) = delete;

private:
    Seams m_saved;
};
