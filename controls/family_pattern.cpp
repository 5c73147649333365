#include "controls/family_pattern.h"

#include <algorithm>
#include <stdexcept>
#include <typeinfo>

#include "core/free_index.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/forms/user_control.h"

namespace svx {

namespace {

constexpr int16_t kNoIndex = -1;

BStr orDefault(const BStr& name, BStrView prefix, const BStr& family, BStrView suffix = {}) {
  return name.empty() ? BStr(prefix) + family + BStr(suffix) : name;
}

// Writes a converted value into the element: through the row's own write,
// else the element's property (its member found once per class).
void writeElement(Control& c, const FamilyProperty& p, Variant& converted, MemberCache& put) {
  if (p.write) return p.write(c, converted);
  const MemberInfo* m = put.find(c.classInfo(), p.property.empty() ? p.formParam : p.property, InvokeKind::PropertyPut);
  if (!m) raise(err::MemberNotSupported);
  invokeMember(c, *m, std::span<Variant>(&converted, 1));
}

Variant arrayVariant(Form& form, BStrView name) { return Variant(ObjectRef(&form.array(name))); }

// Types whose conversion gives a plain value of the type back unchanged.
bool keepsItsType(uint16_t type) {
  switch (type) {
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_R4:
    case VT_R8:
    case VT_BOOL:
    case VT_BSTR: return true;
    default: return false;
  }
}

// Get's write of a value read from an element: param.assign(changeType(got,
// type)), without the copies where the value is already of the type or the
// parameter is a plain Variant.
void assignRead(Variant& param, Variant&& got, uint16_t type) {
  if (got.vt() != type || !keepsItsType(type)) got = changeType(got, type);
  if (Variant& target = param.deref(); !target.isByRef())
    target = std::move(got);
  else
    param.assign(got);
}

// The rows whose Get type (or Set conversion) says that member carries them.
std::vector<size_t> rowsCarrying(const FamilySpec& spec, uint16_t FamilyProperty::*type) {
  std::vector<size_t> rows;
  for (size_t i = 0; i < spec.properties.size(); ++i)
    if (spec.properties[i].*type != VT_EMPTY) rows.push_back(i);
  return rows;
}

// Index, the carried rows' parameters, `extra`, then the error out-parameters.
std::vector<ParamInfo> memberParams(const FamilySpec& spec, const std::vector<size_t>& rows,
                                    std::vector<ParamInfo> extra) {
  std::vector<ParamInfo> params{ref(u"Index")};
  for (size_t i : rows) params.push_back(refOpt(spec.properties[i].formParam));
  params.insert(params.end(), extra.begin(), extra.end());
  params.push_back(refOpt(u"ErrNumber"));
  params.push_back(refOpt(u"ErrDescription"));
  return params;
}

// What Set does, in the order it does it: the rows passed (in parameter
// order), the steps that always run, the z-order when passed, stably sorted
// by their steps. Which of them run is known at the call.
struct SetPlan {
  enum class Kind { Row, Always, ZOrder };
  struct Step {
    Kind kind;
    size_t k;  // the row among Set's rows, or the always step
  };
  std::vector<size_t> rows;  // Set's rows in the family's table
  std::vector<Step> steps;
  std::vector<MemberCache> puts;  // per row of Set
  MemberCache zOrder;

  explicit SetPlan(const FamilySpec& spec) : rows(rowsCarrying(spec, &FamilyProperty::setType)), puts(rows.size()) {
    std::vector<std::pair<int, Step>> ordered;
    for (size_t k = 0; k < rows.size(); ++k) ordered.push_back({spec.properties[rows[k]].setStep, {Kind::Row, k}});
    for (size_t k = 0; k < spec.alwaysSteps.size(); ++k)
      ordered.push_back({spec.alwaysSteps[k].setStep, {Kind::Always, k}});
    ordered.push_back({spec.zOrderStep, {Kind::ZOrder, 0}});
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (const auto& [order, step] : ordered) steps.push_back(step);
  }
};

}  // namespace

FamilyProperty prop(BStr formParam, BStr scriptParam, uint16_t type, int setStep, BStr property) {
  FamilyProperty p;
  p.property = std::move(property);
  p.formParam = std::move(formParam);
  p.scriptParam = std::move(scriptParam);
  p.getType = type;
  p.setType = type;
  p.setStep = setStep;
  return p;
}

FamilyProperty getOnly(BStr formParam, BStr scriptParam, uint16_t type) {
  FamilyProperty p = prop(std::move(formParam), std::move(scriptParam), type, 0);
  p.setType = VT_EMPTY;
  return p;
}

std::vector<FamilyProperty> geometry(int firstStep) {
  return {prop(u"Left", u"sngLeft", VT_R4, firstStep), prop(u"Top", u"sngTop", VT_R4, firstStep + 1),
          prop(u"Width", u"sngWidth", VT_R4, firstStep + 2), prop(u"Height", u"sngHeight", VT_R4, firstStep + 3)};
}

std::vector<FamilyProperty> rows(std::initializer_list<std::vector<FamilyProperty>> parts) {
  std::vector<FamilyProperty> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Variant familyLoad(Form& form, const FamilySpec& spec, Variant& pictureContainerIndex, const FamilyOut& out) {
  const ErrorOut report{out.number, out.description};
  ErrState err;
  Variant result = Variant::i2(kNoIndex);
  report.clear();
  int32_t index = -1, number = 0;
  BStr text;
  Variant array;
  err.attempt([&] { array = arrayVariant(form, spec.arrayName); });
  FindFreeIndex(index, array, number, text);
  if (index == -1) {
    report.report(number, text);
    return result;
  }
  reportMode(report, [&] {
    Control& element = form.array(spec.arrayName).load(static_cast<int16_t>(index));
    if (spec.hasContainer) {
      Variant pictures = arrayVariant(form, u"PictureCtrl");
      if (!pictureContainerIndex.isMissing() && IsPictureIndexValid(pictures, pictureContainerIndex))
        element.setContainer(&form.array(u"PictureCtrl").item(toI2(pictureContainerIndex)));
      else
        element.setContainer(nullptr);
    }
    result = Variant(index);
    report.clear();
  });
  return result;
}

void familyUnload(Form& form, const FamilySpec& spec, Variant& index, const FamilyOut& out) {
  const ErrorOut report{out.number, out.description};
  reportMode(report, [&] {
    report.clear();
    form.array(spec.arrayName).unload(toI2(index));
  });
}

Form& familyForm(Object& self) {
  // Every object of a class that was a Form once is one.
  thread_local const std::type_info* known = nullptr;
  if (&typeid(self) == known) return static_cast<Form&>(self);
  Form& form = dynamic_cast<Form&>(self);
  known = &typeid(self);
  return form;
}

Control* familyProbe(Form& form, const FamilySpec& spec, Variant& index, const FamilyOut& out) {
  const ErrorOut report{out.number, out.description};
  Control* element = nullptr;
  reportMode(report, [&] {
    Control& c = form.array(spec.arrayName).item(toI2(index));
    // The element's Tag read late-bound, as text.
    thread_local MemberCache tagGet;
    const MemberInfo* tag = tagGet.find(c.classInfo(), u"Tag", InvokeKind::PropertyGet);
    if (!tag) raise(err::MemberNotSupported);
    const Variant t = invokeMember(c, *tag, {});
    if (t.vt() != VT_BSTR) (void)toBStr(t);
    element = &c;
  });
  return element;
}

BStr familyMemberName(const FamilySpec& spec, BStrView which) {
  if (which == u"Load") return orDefault(spec.loadName, u"Load", spec.family);
  if (which == u"Unload") return orDefault(spec.unloadName, u"Unload", spec.family);
  if (which == u"Get") return orDefault(spec.getName, u"Get", spec.family);
  if (which == u"Set") return orDefault(spec.setName, u"Set", spec.family);
  return spec.objectName.empty() ? spec.family + u"Object" : spec.objectName;
}

BStr familyDescription(const FamilySpec& spec, BStrView which) { return familyDescription(spec.classWord, which); }

BStr familyDescription(BStrView classWord, BStrView which) {
  const BStr w(classWord);
  // "an Image", "an OptionButton": the article follows the class word's
  // first letter.
  const bool vowel = !w.empty() && BStrView(u"AEIOUaeiou").find(w.front()) != BStrView::npos;
  const BStr a = vowel ? u"an " : u"a ";
  if (which == u"Load") return u"Loads a new " + w + u" control array element into memory and returns its index value.";
  if (which == u"Unload") return u"Unloads " + a + w + u" control array element from memory.";
  const BStr tail = u" control array element, from the " + w +
                    u" controls array, based on the index of the control.";
  if (which == u"Get") return u"Returns some of the attributes of " + a + w + tail;
  if (which == u"Set") return u"Sets some of the attributes of " + a + w + tail;
  return u"Returns a reference to the " + w + tail;
}

void declareFamily(ClassInfo& ci, const FamilySpec& spec) {
  const auto specPtr = std::make_shared<FamilySpec>(spec);
  // Load
  std::vector<ParamInfo> loadParams;
  if (spec.hasContainer) loadParams.push_back(refOpt(u"PictureContainerIndex"));
  loadParams.push_back(refOpt(u"ErrNumber"));
  loadParams.push_back(refOpt(u"ErrDescription"));
  ci.member(familyMemberName(spec, u"Load"), InvokeKind::Method, loadParams,
            [specPtr](Object& self, const Args& a) {
              Variant missing = Variant::missing();
              const size_t e = specPtr->hasContainer ? 1 : 0;
              return familyLoad(familyForm(self), *specPtr, specPtr->hasContainer ? a[0] : missing, {a[e], a[e + 1]});
            });
  // Unload
  ci.member(familyMemberName(spec, u"Unload"), InvokeKind::Method, memberParams(spec, {}, {}),
            [specPtr](Object& self, const Args& a) {
              familyUnload(familyForm(self), *specPtr, a[0], {a[1], a[2]});
              return Variant();
            });
  // Get: the properties that Get carries, in parameter order.
  const std::vector<size_t> getProps = rowsCarrying(spec, &FamilyProperty::getType);
  const std::vector<ParamInfo> getParams = memberParams(spec, getProps, {});
  // Each property's get, found once for the elements' class.
  const auto readCache = std::make_shared<std::vector<MemberCache>>(getProps.size());
  ci.member(familyMemberName(spec, u"Get"), InvokeKind::Method, getParams,
            [specPtr, getProps, readCache](Object& self, const Args& a) {
              const size_t n = getProps.size();
              const FamilyOut out{a[n + 1], a[n + 2]};
              Form& form = familyForm(self);
              const Ref<Control> element(familyProbe(form, *specPtr, a[0], out));
              if (!element) return Variant();
              ErrorOut{out.number, out.description}.clear();
              const ClassInfo& cls = element->classInfo();
              for (size_t k = 0; k < n; ++k) {
                Variant& param = a[k + 1];
                if (param.isMissing()) continue;
                const FamilyProperty& p = specPtr->properties[getProps[k]];
                // A property that cannot be read keeps the caller's value.
                ignoreErrors([&] {
                  Variant got;
                  if (p.read) {
                    got = p.read(*element);
                  } else {
                    const MemberInfo* get = (*readCache)[k].find(
                        cls, p.property.empty() ? p.formParam : p.property, InvokeKind::PropertyGet);
                    if (!get) raise(err::MemberNotSupported);
                    got = invokeMember(*element, *get, {});
                  }
                  assignRead(param, std::move(got), p.getType);
                });
              }
              return Variant();
            });
  // Set: the passed values in the family's order, z-order after the
  // geometry, Visible last; the first failure ends it.
  const auto plan = std::make_shared<SetPlan>(spec);
  if (plan->rows.size() > 63) throw std::logic_error("family " + utf8(spec.family) + ": too many Set rows");
  ci.member(familyMemberName(spec, u"Set"), InvokeKind::Method, memberParams(spec, plan->rows, {refOpt(u"intZOrder")}),
            [specPtr, plan](Object& self, const Args& a) {
              const size_t n = plan->rows.size();
              Variant& zOrder = a[n + 1];
              const FamilyOut out{a[n + 2], a[n + 3]};
              Form& form = familyForm(self);
              if (!familyProbe(form, *specPtr, a[0], out)) return Variant();
              const ErrorOut report{out.number, out.description};
              report.clear();
              // The values passed, known before any step runs.
              uint64_t passed = 0;
              for (size_t k = 0; k < n; ++k)
                if (!a[k + 1].isMissing()) passed |= uint64_t{1} << k;
              const bool zOrderPassed = !zOrder.isMissing();
              // The element, looked up for every step: a step may unload it or
              // the form. The array found stays the form's until the form
              // unloads and lets go of its arrays.
              Ref<ControlArray> array;
              auto element = [&]() -> Control& {
                if (!array || array->form() != &form) array = Ref<ControlArray>(&form.array(specPtr->arrayName));
                return array->item(toI2(a[0]));
              };
              reportMode(report, [&] {
                for (const SetPlan::Step& step : plan->steps) {
                  switch (step.kind) {
                    case SetPlan::Kind::Row: {
                      if (((passed >> step.k) & 1) == 0) break;
                      const Variant& param = a[step.k + 1];
                      const FamilyProperty& p = specPtr->properties[plan->rows[step.k]];
                      Variant converted = p.setType == VT_VARIANT ? param.value() : changeType(param, p.setType);
                      if (p.writeEach)
                        p.writeEach(element, converted);
                      else
                        writeElement(element(), p, converted, plan->puts[step.k]);
                      break;
                    }
                    case SetPlan::Kind::Always: specPtr->alwaysSteps[step.k].run(element()); break;
                    case SetPlan::Kind::ZOrder: {
                      if (!zOrderPassed) break;
                      Variant position = zOrder.value();
                      Control& c = element();
                      const MemberInfo* m = plan->zOrder.find(c.classInfo(), u"ZOrder", InvokeKind::Method);
                      if (!m) raise(err::MemberNotSupported);
                      invokeMember(c, *m, std::span<Variant>(&position, 1));
                      break;
                    }
                  }
                }
              });
              return Variant();
            });
  // Object
  if (spec.objectName != u"-")
    ci.member(familyMemberName(spec, u"Object"), InvokeKind::Method, memberParams(spec, {}, {}),
              [specPtr](Object& self, const Args& a) {
                Form& form = familyForm(self);
                const FamilyOut out{a[1], a[2]};
                Control* c = familyProbe(form, *specPtr, a[0], out);
                if (!c) return Variant::nothing();
                ErrorOut{out.number, out.description}.clear();
                if (auto* u = specPtr->objectIsUserControl ? dynamic_cast<UserControl*>(c) : nullptr)
                  return Variant(ObjectRef(UserControlObject::of(*u)));
                return Variant(ObjectRef(c));
              });
}

}  // namespace svx
