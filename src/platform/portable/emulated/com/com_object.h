// Reference counting for the emulated system's COM objects: an object starts with one reference
// (its creator's) and deletes itself with the last Release. The count of live objects lets tests
// check that every object handed out was released.
#pragma once

#include <atomic>

#include "platform_api.h"

class ComObjectCount {
  public:
    ComObjectCount() { live_.fetch_add(1); }
    ComObjectCount(const ComObjectCount&) = delete;
    ComObjectCount& operator=(const ComObjectCount&) = delete;
    ~ComObjectCount() { live_.fetch_sub(1); }

    ULONG AddReference() { return references_.fetch_add(1) + 1; }
    // The references left; the owner deletes itself at 0.
    ULONG DropReference() { return references_.fetch_sub(1) - 1; }

    // Objects of the emulated system that exist right now.
    static long Live() { return live_.load(); }

  private:
    std::atomic<ULONG> references_{1};
    static inline std::atomic<long> live_{0};
};

// The usual creation step: the interface asked for, or a failure; the creator's own reference
// is given up either way, so a refused interface leaves no object behind.
template <typename Object>
HRESULT HandOut(Object* object, REFIID iid, void** result) {
    HRESULT hr = object->QueryInterface(iid, result);
    object->Release();
    return hr;
}

// IUnknown for an emulated object that implements one interface: it answers for IUnknown and,
// when kInterfaceId is given, for that interface, and deletes itself with its last reference.
template <typename Interface, const IID* kInterfaceId>
class SingleInterfaceObject : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        const bool offered = IsEqualGUID(iid, IID_IUnknown) ||
                             (kInterfaceId != nullptr && IsEqualGUID(iid, *kInterfaceId));
        if (!offered) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return count_.AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = count_.DropReference();
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    SingleInterfaceObject() = default;
    virtual ~SingleInterfaceObject() = default;

  private:
    ComObjectCount count_;
};

// IUnknown for an emulated object that a caller fills through kInterfaceId and then saves to a
// file through IPersistFile (the shell link, the Internet shortcut): both interfaces share the
// one reference count, and IUnknown answers with the first.
template <typename Interface, const IID* kInterfaceId>
class PersistableObject : public SingleInterfaceObject<Interface, kInterfaceId>,
                          public IPersistFile {
    using Base = SingleInterfaceObject<Interface, kInterfaceId>;

  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr || !IsEqualGUID(iid, IID_IPersistFile)) {
            return Base::QueryInterface(iid, object);
        }
        *object = static_cast<IPersistFile*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

  protected:
    PersistableObject() = default;
};
