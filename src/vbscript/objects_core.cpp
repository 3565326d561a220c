// The engine's own objects: script class instances, Err, GetRef references, and the
// console dialogs.
#include "vbscript/convert.h"
#include "vbscript/engine_impl.h"

#include <cstdio>
#include <iostream>

namespace vbs {

std::unique_ptr<Enumerator> Object::enumerate(Context&) {
    raise_error(kErrNotCollection);
}

// --- class instances --------------------------------------------------------------------------

ClassInstance::ClassInstance(Engine::Impl& impl, std::shared_ptr<ClassDef> def)
    : impl_(impl.self_), def_(std::move(def)) {
    fields.resize(def_->fields.size());
    for (size_t i = 0; i < def_->fields.size(); ++i) {
        const FieldInfo& f = def_->fields[i];
        if (!f.fixed_counts.empty()) {
            ArrayRep* a = ArrayRep::make(f.fixed_counts);
            a->fixed = true;
            fields[i] = Value::array(a);
        } else if (f.dynamic_array) {
            ArrayRep* a = ArrayRep::make({});
            a->counts.clear();
            a->data.clear();
            fields[i] = Value::array(a);
        }
    }
}

ClassInstance::~ClassInstance() = default;

int ClassInstance::find_member(std::string_view name) {
    if (name.empty()) return def_->default_member >= 0 ? kDefaultMember : kNoMember;
    const auto& ms = def_->members;
    for (size_t i = 0; i < ms.size(); ++i)
        if (iequals(ms[i].name, name)) return int(i) + 1;
    return kNoMember;
}

namespace {

// Runs a handler from wherever the last reference went; the handler's errors are dropped. A
// time-out or interrupt is dropped here too, but it stays raised (Engine::Impl::abort_): the
// code that released the object fails with it at its next check, or when its call ends.
void run_terminate(Engine::Impl& impl, Function* fn, Object* me) {
    bool outer = impl.current_ == nullptr;
    char probe;
    if (outer) {
        if (!impl.bulk_release_) impl.begin_call();
        impl.native_base_ = &probe;
    }
    try {
        Value result;
        CallArgs none(nullptr, 0);
        impl.invoke_function(fn, me, none, result);
    } catch (...) {
    }
    if (outer) {
        impl.native_base_ = nullptr;
        if (!impl.bulk_release_) impl.end_clock();
    }
}

bool inside_class(Engine::Impl& impl, const ClassDef* def) {
    for (Frame* f = impl.current_; f; f = f->up ? f->up : nullptr) {
        if (f->fn->cls == def) return true;
        if (!f->fn->up_scope) break;
    }
    return false;
}

} // namespace

void ClassInstance::last_release() {
    Engine::Impl* im = impl_.get();
    if (def_->terminate && initialized && im && !im->terminate_blocked_) {
        initialized = false;
        run_terminate(*im, def_->terminate, this);
    }
}

void ClassInstance::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    int index = id == kDefaultMember ? def_->default_member : id - 1;
    if (index < 0 || size_t(index) >= def_->members.size()) raise_error(kErrNoMember);
    ClassMember& m = def_->members[size_t(index)];
    Engine::Impl& im = *impl_;
    if (!m.is_public && !inside_class(im, def_.get())) raise_error(kErrNoMember);
    Ptr<Object> keep(this);
    switch (m.kind) {
    case MemberKind::Field: {
        Value& f = fields[size_t(m.field)];
        uint32_t nidx =
            (kind == CallKind::Let || kind == CallKind::Set) ? args.size() - 1 : args.size();
        if (nidx > 0) {
            if (f.tag() == Tag::Array) {
                if (nidx > 256) raise_error(kErrSubscript);
                // Subscripts and value are settled first: an object's default member is
                // script, which may change the field before the element is reached.
                Value index[256];
                const Value* subs[256];
                for (uint32_t i = 0; i < nidx; ++i) {
                    index[i] = args[i];
                    subs[i] = &index[i];
                }
                Value v;
                if (kind == CallKind::Let || kind == CallKind::Set) {
                    v = args.assigned();
                    if (kind == CallKind::Let) v = im.let_value(std::move(v));
                }
                settle_subscripts(index, nidx);
                if (f.tag() != Tag::Array) raise_error(kErrTypeMismatch);
                if (kind == CallKind::Let || kind == CallKind::Set)
                    array_element(unshare_array(f), subs, nidx) = std::move(v);
                else
                    result = array_element(*f.arr(), subs, nidx);
                return;
            }
            if (f.tag() == Tag::Object && f.obj()) {
                Object* o = f.obj();
                Ptr<Object> k2(o);
                if (kind == CallKind::Let && args.assigned().tag() == Tag::Object)
                    args.ref(args.size() - 1) = im.let_value(args.assigned());
                o->invoke(o->find_member(""), kind, args, result, im);
                return;
            }
            raise_error(kErrTypeMismatch);
        }
        if (kind == CallKind::Let) {
            f = im.let_value(args.assigned());
        } else if (kind == CallKind::Set) {
            if (args.assigned().tag() != Tag::Object) raise_error(kErrObjectRequired);
            f = args.assigned();
        } else {
            result = f;
        }
        return;
    }
    case MemberKind::Method:
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrNoMember);
        im.invoke_function(m.method, this, args, result);
        return;
    case MemberKind::Property: {
        Function* fn = kind == CallKind::Let   ? (m.let ? m.let : nullptr)
                       : kind == CallKind::Set ? m.set
                                               : m.get;
        if (!fn) raise_error(kErrNoMember);
        im.invoke_function(fn, this, args, result);
        return;
    }
    }
}

Value Engine::Impl::new_instance(const std::shared_ptr<ClassDef>& def) {
    Ptr<ClassInstance> inst = make_object<ClassInstance>(*this, def);
    if (def->initialize) {
        Value result;
        CallArgs none(nullptr, 0);
        invoke_function(def->initialize, inst.get(), none, result);
    }
    inst->initialized = true;
    return Value::object(inst.get());
}

// --- Err --------------------------------------------------------------------------------------

namespace {
enum ErrMember {
    kErrNumber = 0,
    kErrDescription,
    kErrSource,
    kErrHelpFile,
    kErrHelpContext,
    kErrRaise,
    kErrClear
};
const char* const kErrMembers[] = {"Number",      "Description", "Source", "HelpFile",
                                   "HelpContext", "Raise",       "Clear"};
} // namespace

int ErrObject::find_member(std::string_view name) {
    if (name.empty()) return kErrNumber;
    for (int i = 0; i < 7; ++i)
        if (iequals(name, kErrMembers[i])) return i;
    return kNoMember;
}

void ErrObject::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    Engine::Impl& im = *impl_;
    bool put = kind == CallKind::Let;
    if (kind == CallKind::Set) raise_error(kErrNoMember);
    switch (id) {
    case kErrNumber:
        if (put)
            im.err_number_ = to_long(args.assigned());
        else
            result = Value::long_(im.err_number_);
        return;
    case kErrDescription:
        if (put)
            im.err_description_ = to_string(args.assigned());
        else
            result = Value::string(im.err_description_);
        return;
    case kErrSource:
        if (put)
            im.err_source_ = to_string(args.assigned());
        else
            result = Value::string(im.err_source_);
        return;
    case kErrHelpFile:
        if (put)
            im.err_helpfile_ = to_string(args.assigned());
        else
            result = Value::string(im.err_helpfile_);
        return;
    case kErrHelpContext:
        if (put)
            im.err_helpcontext_ = to_long(args.assigned());
        else
            result = Value::long_(im.err_helpcontext_);
        return;
    case kErrRaise: {
        if (put) raise_error(kErrNoMember);
        if (args.size() < 1 || args.is_missing(0)) raise_error(kErrWrongArgs);
        int32_t number = script_error_number(to_long(args[0]));
        if (number == 0) raise_error(kErrIllegalCall);
        // Arguments left out take the values of an error not yet cleared: its Source, and its
        // Description when the script gave that one (a standard text belongs to its number).
        bool pending = im.err_number_ != 0;
        std::string source = !args.is_missing(1) ? to_string(args[1])
                             : pending           ? im.err_source_
                                                 : std::string();
        std::string desc;
        if (!args.is_missing(2))
            desc = to_string(args[2]);
        else if (pending && !im.err_description_.empty() &&
                 im.err_description_ != error_text(im.err_number_))
            desc = im.err_description_;
        else
            desc = std::string(error_text(number));
        if (!args.is_missing(3)) im.err_helpfile_ = to_string(args[3]);
        if (!args.is_missing(4)) im.err_helpcontext_ = to_long(args[4]);
        ScriptException e(number, std::move(desc), std::move(source));
        e.keeps_help = true;
        throw e;
    }
    case kErrClear:
        if (put) raise_error(kErrNoMember);
        im.clear_err();
        return;
    default:
        raise_error(kErrNoMember);
    }
}

void ProcRef::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    if (id != kDefaultMember || kind == CallKind::Let || kind == CallKind::Set)
        raise_error(kErrNoMember);
    (*impl_).invoke_function(fn_, nullptr, args, result);
}

// --- console dialogs --------------------------------------------------------------------------

int ConsoleHostUI::msg_box(const std::string& prompt, int buttons, const std::string& title) {
    std::cerr << (title.empty() ? std::string() : title + ": ") << prompt << std::endl;
    switch (buttons & 7) {
    case 2:
        return 3; // Abort/Retry/Ignore: Abort
    case 3:
    case 4:
        return 6; // Yes
    case 5:
        return 4; // Retry
    default:
        return 1; // OK
    }
}

bool ConsoleHostUI::input_box(const std::string& prompt, const std::string& title,
                              const std::string& default_text, std::string& answer) {
    std::cerr << (title.empty() ? std::string() : title + ": ") << prompt << std::endl;
    answer = default_text;
    return true;
}

} // namespace vbs
