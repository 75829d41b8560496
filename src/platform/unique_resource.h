// The one owner of everything the system hands out and the caller must give back: a kernel
// handle, a registry key, a loaded module, an automation string, LocalFree memory, a COM
// interface. Traits name the kind:
//
//   struct Traits {
//       using Type = ...;                  // what the system hands out
//       static Type Invalid();             // the value that owns nothing
//       static void Close(Type value);     // gives a valid value back; never sees Invalid()
//   };
//
// Every kind follows the same rules: the value is given back when the owner goes out of scope,
// is reset or is handed an address again by Put, and never twice; the invalid value is never
// given back. Owners move, never copy.
#pragma once

template <typename Traits>
class UniqueResource {
  public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    // Takes ownership of value, which may be the invalid value (a call that failed).
    explicit UniqueResource(Type value) : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    Type Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    // For the kinds that are pointers to an interface: calls its methods.
    Type operator->() const { return value_; }

    // The address to pass as an out parameter. What was held is given back first, so that an
    // owner used for a second call cannot leak the first one's value.
    Type* Put() {
        Reset();
        return &value_;
    }
    // The same for out parameters typed void** (CoCreateInstance, QueryInterface).
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Gives back what was held and takes value instead.
    void Reset(Type value = Traits::Invalid()) {
        const Type old = value_;
        value_ = value;
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

    // Hands what was held to the caller, who must give it back.
    Type Release() {
        const Type value = value_;
        value_ = Traits::Invalid();
        return value;
    }

  private:
    Type value_ = Traits::Invalid();
};
