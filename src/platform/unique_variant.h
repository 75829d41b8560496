// A VARIANT that is cleared (its string freed) when it goes out of scope. Not a handle but a
// value that may own a string, so it has no invalid value to compare with and keeps a class of
// its own; it follows the owners' rule for Put all the same.
#pragma once

#include "platform_api.h"

class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    // The address to pass as an out parameter; what was held is cleared first.
    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }
    const VARIANT& Get() const { return value_; }

  private:
    VARIANT value_;
};
