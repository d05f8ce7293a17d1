#pragma once
// The COM object base of the server's classes: reference counting, the
// object's own IUnknown for an aggregating outer object, and the server's
// object count. A class lists its interfaces and answers InterfaceFor.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "ServerCounts.h"

namespace imvexa {

// The part of every object that does not depend on its interfaces.
class TComObjectCore {
public:
    TComObjectCore(const TComObjectCore&) = delete;
    TComObjectCore& operator=(const TComObjectCore&) = delete;

protected:
    explicit TComObjectCore(IUnknown* outer) : outer_(outer ? outer : &inner_) {
        inner_.self = this;
        ++Counts().objects;
    }
    virtual ~TComObjectCore() { --Counts().objects; }

    // The object's interface for riid other than IUnknown (not yet referenced), or null.
    virtual IUnknown* InterfaceFor(REFIID riid) = 0;
    // The same with the object's own IUnknown.
    IUnknown* Interface(REFIID riid) { return IsEqualIID(riid, IID_IUnknown) ? &inner_ : InterfaceFor(riid); }

    // Queries a new object (made with new (std::nothrow), so null when memory
    // ran out) for riid and drops the reference it was made with: an object
    // nobody asked for is gone again.
    static HRESULT Hand(TComObjectCore* object, REFIID riid, void** result) {
        if (!object) return E_OUTOFMEMORY;
        // Aggregated, the caller asked for IUnknown and gets the inner one.
        const HRESULT hr = object->inner_.QueryInterface(riid, result);
        object->inner_.Release();
        return hr;
    }

    IUnknown* Outer() const { return outer_; }

private:
    // The object's own IUnknown: the one an aggregating outer object holds.
    struct InnerUnknown final : IUnknown {
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
            if (!object) return E_POINTER;
            IUnknown* found = self->Interface(riid);
            *object = found;
            if (!found) return E_NOINTERFACE;
            found->AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++self->references_; }
        STDMETHODIMP_(ULONG) Release() override {
            const ULONG left = --self->references_;
            if (left == 0) delete self;
            return left;
        }
        TComObjectCore* self = nullptr;
    };

    InnerUnknown inner_;
    IUnknown* outer_;
    std::atomic<ULONG> references_{1};
};

// The IUnknown of every listed interface delegates to the outer object (the
// object's own IUnknown when it is not aggregated).
template <typename... Interfaces>
class TComObject : public TComObjectCore, public Interfaces... {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return Outer()->QueryInterface(riid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return Outer()->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return Outer()->Release(); }

protected:
    using TComObjectCore::TComObjectCore;
};

}  // namespace imvexa
