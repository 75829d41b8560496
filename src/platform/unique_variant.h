// A VARIANT that is cleared (its string freed) when it goes out of scope.
#pragma once

#include "platform_api.h"

class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* Put() { return &value_; }
    const VARIANT& Get() const { return value_; }

  private:
    VARIANT value_;
};
