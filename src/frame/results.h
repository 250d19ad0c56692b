// Results and calls in C++ values. A method body returns a plain value (bool, short, long,
// double, std::wstring, a Variant); the error-mode wrappers of the dispatch base preset the
// caller's out pointer and convert the value into it. call() makes a call through one of the
// library's own interfaces with C++ values: Strings go in as temporary BSTRs, by-reference
// arguments are written back, and the [out, retval] result comes back as a C++ value.
#pragma once
#include <tuple>
#include <type_traits>
#include <utility>
#include "frame/values.h"

namespace zor {

// ---- results -----------------------------------------------------------------------------

inline void preset(BSTR* r) { *r = nullptr; }
inline void preset(short* r) { *r = 0; } // also VARIANT_BOOL: False
inline void preset(long* r) { *r = 0; }
inline void preset(double* r) { *r = 0; }
inline void preset(VARIANT* r) { VariantInit(r); }

inline void assign(BSTR* r, std::wstring_view s) { *r = newBstr(s); }
inline void assign(BSTR* r, Bstr&& s) { *r = s.release(); }
inline void assign(long* r, long v) { *r = v; }
inline void assign(double* r, double v) { *r = v; }
inline void assign(VARIANT* r, Variant&& v) { v.detachTo(r); }
inline void assign(VARIANT* r, std::wstring_view s) { setString(r, s); }
// short is also VARIANT_BOOL: a bool becomes True (-1) or False (0), a number stays itself.
template <class V>
void assign(short* r, V v) {
    if constexpr (std::is_same_v<V, bool>)
        *r = vbool(v);
    else {
        static_assert(std::is_same_v<V, short>, "an Integer result takes a short");
        *r = v;
    }
}

// ---- in-out parameters -------------------------------------------------------------------

// A Boolean passed by reference: VARIANT_BOOL* is short*, so a Boolean says what it is.
struct BoolRef {
    VARIANT_BOOL* p;
};
inline BoolRef asBool(VARIANT_BOOL* p) { return {p}; }

namespace detail {

// One by-reference parameter as a C++ value: read on entry, written back when it changed.
template <class P>
struct InOutArg;
template <>
struct InOutArg<BSTR*> {
    using Value = std::wstring;
    BSTR* p;
    bool given() const { return p != nullptr; }
    Value read() const { return str(*p); }
    void write(const Value& v) const { replaceBstr(p, v); }
};
template <class N>
struct InOutNumber {
    using Value = N;
    N* p;
    bool given() const { return p != nullptr; }
    Value read() const { return *p; }
    void write(Value v) const { *p = v; }
};
template <> struct InOutArg<short*> : InOutNumber<short> {};
template <> struct InOutArg<long*> : InOutNumber<long> {};
template <> struct InOutArg<double*> : InOutNumber<double> {};
template <>
struct InOutArg<BoolRef> {
    using Value = bool;
    VARIANT_BOOL* p;
    bool given() const { return p != nullptr; }
    Value read() const { return *p != VARIANT_FALSE; }
    void write(Value v) const { *p = vbool(v); }
};

} // namespace detail

// The by-reference parameters of a method, for an error-mode wrapper: inout(a, b, ...). The
// wrapper checks them (E_POINTER), hands the body their values as C++ references in the same
// order (String as std::wstring, Integer short, Long long, Double double, asBool(...) bool) and
// writes each changed value back into the caller's variable on every way out of the body.
template <class... P>
class InOut {
public:
    explicit InOut(P... p) : args_{{pointer(p)}...} {}
    bool given() const { return std::apply([](const auto&... a) { return (a.given() && ...); }, args_); }
    auto read() const { return std::apply([](const auto&... a) { return std::tuple{a.read()...}; }, args_); }
    template <class Values>
    void writeBack(const Values& now, const Values& before) const {
        writeBack(now, before, std::index_sequence_for<P...>{});
    }
private:
    template <class Values, size_t... I>
    void writeBack(const Values& now, const Values& before, std::index_sequence<I...>) const {
        ((std::get<I>(now) != std::get<I>(before) ? std::get<I>(args_).write(std::get<I>(now)) : void()), ...);
    }
    template <class T>
    static T* pointer(T* p) { return p; }
    static VARIANT_BOOL* pointer(BoolRef b) { return b.p; }
    std::tuple<detail::InOutArg<P>...> args_;
};
template <class... P>
InOut<P...> inout(P... p) { return InOut<P...>(p...); }

// Runs body with the in-out values; they go back to the caller whether the body returns or throws.
template <class... P, class F>
auto withInOut(const InOut<P...>& params, F&& body) {
    auto values = params.read();
    const auto before = values;
    try {
        if constexpr (std::is_void_v<decltype(std::apply(body, values))>) {
            std::apply(body, values);
            params.writeBack(values, before);
        } else {
            auto r = std::apply(body, values);
            params.writeBack(values, before);
            return r;
        }
    } catch (...) {
        params.writeBack(values, before);
        throw;
    }
}

// ---- calls through an interface ----------------------------------------------------------

// Stands for an omitted optional Variant.
struct Missing {};
inline constexpr Missing missing{};

namespace detail {

// Turns one C++ argument into the parameter type P, and back for a by-reference parameter.
template <class P>
class Arg {
public:
    template <class A>
    Arg(A&& a) : v_(static_cast<P>(a)) {}
    P get() { return v_; }
    void writeBack() {}
private:
    P v_;
};

template <>
class Arg<BSTR> {
public:
    Arg(std::wstring_view s) : b_(s) {}
    BSTR get() { return b_.get(); }
    void writeBack() {}
private:
    Bstr b_;
};

// Integer, or Boolean (VARIANT_BOOL is a short): a bool goes in as True or False.
template <>
class Arg<short> {
public:
    template <class A>
    Arg(A a) : v_(std::is_same_v<A, bool> ? vbool(a) : static_cast<short>(a)) {}
    short get() { return v_; }
    void writeBack() {}
private:
    short v_;
};

template <>
class Arg<VARIANT> {
public:
    Arg(const VARIANT& v) : v_(v) {}
    Arg(Missing) : v_(missingArg()) {}
    Arg(std::wstring_view s) {
        setString(&owned_, s);
        v_ = owned_.get();
    }
    VARIANT get() { return v_; }
    void writeBack() {}
private:
    Variant owned_;
    VARIANT v_;
};

template <>
class Arg<BSTR*> {
public:
    Arg(std::wstring& s) : b_(s), target_(&s) {}
    BSTR* get() { return b_.inout(); }
    void writeBack() { *target_ = b_.text(); }
private:
    Bstr b_;
    std::wstring* target_;
};

// Integer or Boolean by reference.
template <>
class Arg<short*> {
public:
    Arg(short& v) : v_(v), short_(&v) {}
    Arg(bool& v) : v_(vbool(v)), bool_(&v) {}
    short* get() { return &v_; }
    void writeBack() {
        if (short_) *short_ = v_;
        if (bool_) *bool_ = v_ != 0;
    }
private:
    short v_;
    short* short_ = nullptr;
    bool* bool_ = nullptr;
};

template <class T>
class Arg<T*> {
public:
    Arg(T& v) : p_(&v) {}
    Arg(T* p) : p_(p) {} // an interface pointer or an explicit pointer goes through as it is
    T* get() { return p_; }
    void writeBack() {}
private:
    T* p_;
};

// The C++ value of an [out, retval] result.
template <class R>
struct Result {
    R v{};
    R* out() { return &v; }
    R value() { return v; }
};
template <>
struct Result<BSTR> {
    Bstr v;
    BSTR* out() { return v.out(); }
    std::wstring value() { return v.text(); }
};
template <>
struct Result<VARIANT> {
    Variant v;
    VARIANT* out() { return &v; }
    Variant value() { return std::move(v); }
};

template <class Tuple, class Seq>
struct Args;
template <class... P, size_t... I>
struct Args<std::tuple<P...>, std::index_sequence<I...>> {
    using type = std::tuple<Arg<std::tuple_element_t<I, std::tuple<P...>>>...>;
};

// Converts the arguments, makes the call with `extra` appended, and writes by-reference values back.
template <class Itf, class Method, class Tuple, class... Extra>
void invoke(Itf* object, Method method, Tuple& in, Extra... extra) {
    std::apply([&](auto&... a) { check((object->*method)(a.get()..., extra...)); }, in);
    std::apply([](auto&... a) { (a.writeBack(), ...); }, in);
}

} // namespace detail

// Calls a method of one of the library's interfaces with C++ arguments. Give every parameter
// but the [out, retval] one: the result is returned as a C++ value (a String as std::wstring, a
// Variant as Variant, a Boolean as a short that is True or False). Give all parameters and
// nothing is returned. A failure HRESULT is thrown as the library's error.
template <class Itf, class... P, class... A>
auto call(Itf* object, HRESULT (STDMETHODCALLTYPE Itf::*method)(P...), A&&... args) {
    using Params = std::tuple<P...>;
    typename detail::Args<Params, std::make_index_sequence<sizeof...(A)>>::type in{std::forward<A>(args)...};
    if constexpr (sizeof...(A) == sizeof...(P)) {
        detail::invoke(object, method, in);
    } else {
        static_assert(sizeof...(A) + 1 == sizeof...(P), "give every parameter but the result");
        using Last = std::remove_pointer_t<std::tuple_element_t<sizeof...(P) - 1, Params>>;
        detail::Result<Last> result;
        detail::invoke(object, method, in, result.out());
        return result.value();
    }
}

// The same for a Boolean result, as bool.
template <class Itf, class... P, class... A>
bool callBool(Itf* object, HRESULT (STDMETHODCALLTYPE Itf::*method)(P...), A&&... args) {
    return call(object, method, std::forward<A>(args)...) != 0;
}

} // namespace zor
