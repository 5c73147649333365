#include "host/trace.h"

#include <array>
#include <cstdio>
#include <optional>

#include "platform/automation/coerce.h"
#include "platform/automation/safearray.h"

namespace svx::host {

namespace {

constexpr size_t kMaxText = 200;  // longer strings are cut in the trace

std::string quoted(const BStr& s) {
  std::string out = "\"";
  const std::string text = utf8(s.size() > kMaxText ? s.substr(0, kMaxText) : s);
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  if (s.size() > kMaxText) out += "...";
  return out + "\"";
}

std::string number(double d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

std::string plainValue(const Variant& v) {
  if (v.isArray()) {
    const SafeArray* a = v.asArray();
    if (!a) return "Array()";
    std::string dims;
    for (const ArrayBound& b : a->bounds()) {
      if (!dims.empty()) dims += ", ";
      dims += std::to_string(b.lower) + " To " + std::to_string(b.upper());
    }
    return "Array(" + dims + ")";
  }
  switch (v.vt()) {
    case VT_EMPTY: return "Empty";
    case VT_NULL: return "Null";
    case VT_I2: return std::to_string(v.asI2());
    case VT_I4: return std::to_string(v.asI4());
    case VT_UI1: return std::to_string(v.asUI1());
    case VT_I8: return std::to_string(v.asI8());
    case VT_R4: return number(v.asR4());
    case VT_R8: return number(v.asR8());
    case VT_CY: return number(static_cast<double>(v.asCy().scaled) / 10000.0);
    case VT_BOOL: return v.asBool() ? "True" : "False";
    case VT_BSTR: return quoted(v.asBStr());
    case VT_DATE: return "#" + utf8(formatDate(Date{v.asDate()})) + "#";
    case VT_DISPATCH: {
      const ObjectRef o = v.asObject();
      return o ? "[" + utf8(o->classInfo().name()) + "]" : "Nothing";
    }
    case VT_ERROR: return v.isMissing() ? "Missing" : "Error " + std::to_string(v.asError());
    default: return "(VarType " + std::to_string(v.vt()) + ")";
  }
}

std::string errorText(int32_t number, const BStr& description) {
  BStr text = description.empty() ? standardDescription(number) : description;
  return std::to_string(number) + (text.empty() ? "" : " " + utf8(text));
}

void writeLine(Engine& e, const std::string& text) {
  e.err << "trace: " << std::string(2 * static_cast<size_t>(e.traceDepth), ' ') << text << '\n';
  e.err.flush();
}

// The call line waits until the call ends, so that a call without nested
// trace lines takes one line: "Dialog.SetCommand(7, "x") -> Empty".
void flushPending(Engine& e) {
  if (e.tracePending.empty()) return;
  const std::string line = std::move(e.tracePending);
  e.tracePending.clear();
  --e.traceDepth;
  writeLine(e, line);
  ++e.traceDepth;
}

const char16_t* const kErrorParams[] = {u"lngErrNumber", u"strErrDescription"};

}  // namespace

std::string traceValue(const Variant& v) {
  try {
    if (v.isByRef()) return "&" + plainValue(v.value());
    return plainValue(v);
  } catch (const RuntimeError&) {
    return "?";
  }
}

Variant tracedCall(Engine& e, Object& obj, const BStr& name, InvokeKind kind, std::vector<Variant>& args,
                   std::vector<BStr>& names) {
  const size_t positional = args.size() - names.size();
  std::string line = utf8(obj.classInfo().name()) + "." + utf8(name);
  if (kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef) {
    line += " = " + (args.empty() ? std::string() : traceValue(args.back()));
  } else if (kind == InvokeKind::Method || !args.empty()) {
    line += "(";
    for (size_t i = 0; i < args.size(); ++i) {
      if (i) line += ", ";
      if (i >= positional) line += utf8(names[i - positional]) + ": ";
      line += traceValue(args[i]);
    }
    line += ")";
  }

  // Where each error out-parameter's value is after the call: an argument
  // slot, or one of the host's variables.
  std::array<Variant, 2> own;
  std::array<std::optional<size_t>, 2> slot;
  if (const MemberInfo* m = obj.classInfo().find(name, kind); m && kind != InvokeKind::PropertyPut) {
    for (size_t j = 0; j < 2; ++j) {
      const int32_t id = paramIdOf(*m, kErrorParams[j]);
      if (id < 0 || !m->params[static_cast<size_t>(id)].byRef) continue;
      const auto p = static_cast<size_t>(id);
      if (p < positional) {
        if (args[p].isMissing()) args[p] = Variant::byRef(own[j]);
        slot[j] = p;
        continue;
      }
      for (size_t k = positional; k < args.size(); ++k)
        if (sameName(names[k - positional], kErrorParams[j])) slot[j] = k;
      if (slot[j] && args[*slot[j]].isMissing()) args[*slot[j]] = Variant::byRef(own[j]);
      if (!slot[j] && p >= positional) {
        // Appended as a named argument: the positional ones stay as given.
        args.push_back(Variant::byRef(own[j]));
        names.push_back(m->params[p].name);
        slot[j] = args.size() - 1;
      }
    }
  }

  flushPending(e);
  e.tracePending = line;
  const int64_t id = ++e.traceCalls;
  e.tracePendingId = id;
  ++e.traceDepth;
  struct Outcome {
    Engine& e;
    int64_t id;
    std::string name;
    std::string text;
    ~Outcome() {
      --e.traceDepth;
      const bool together = !e.tracePending.empty() && e.tracePendingId == id;
      try {
        writeLine(e, (together ? e.tracePending : name + " returned") + text);
      } catch (...) {
        // the trace never disturbs the call
      }
      if (together) e.tracePending.clear();
    }
  } outcome{e, id, utf8(obj.classInfo().name()) + "." + utf8(name), " -> ended"};

  try {
    Variant result = names.empty() ? obj.invoke(name, kind, args) : obj.invoke(name, kind, args, names);
    outcome.text = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef ? "" : " -> " + traceValue(result);
    if (slot[0]) {
      const Variant number = args[*slot[0]].value();
      int32_t n = 0;
      ignoreErrors([&] { n = toI4(number); });
      if (n != 0) {
        BStr description;
        if (slot[1]) ignoreErrors([&] { description = toBStr(args[*slot[1]].value()); });
        outcome.text += "; reported " + errorText(n, description);
      }
    }
    return result;
  } catch (const RuntimeError& err) {
    outcome.text = " -> error " + errorText(err.number(), err.description());
    if (!err.detail().empty()) outcome.text += ": " + utf8(err.detail());
    throw;
  }
}

void traceUnknownMember(Engine& e, Object& obj, const BStr& name, int32_t number) noexcept {
  try {
    flushPending(e);
    writeLine(e, utf8(obj.classInfo().name()) + "." + utf8(name) + " -> error " + errorText(number, {}));
  } catch (...) {
    // the trace never disturbs the call
  }
}

void traceNote(Engine& e, const std::string& text) noexcept {
  try {
    flushPending(e);
    writeLine(e, text);
  } catch (...) {
    // the trace never disturbs the call
  }
}

void traceEvent(Engine& e, const BStr& function, std::span<Variant> args) noexcept {
  try {
    flushPending(e);
    std::string line = "event " + utf8(function) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
      if (i) line += ", ";
      line += traceValue(args[i].value());
    }
    writeLine(e, line + ")");
  } catch (...) {
    // the trace never disturbs the event
  }
}

}  // namespace svx::host
