// The common pattern of the control families of the form: Load, Unload,
// Get, Set and Object members over one control array. A family is its
// control array, its property table and the steps in which its Set departs
// from the pattern; the members are declared on the form's class table from
// that one description.
#pragma once

#include <functional>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/forms/form.h"

namespace svx {

// One property that Get and Set carry.
struct FamilyProperty {
  BStr formParam;    // the form member's parameter ("Caption")
  BStr scriptParam;  // Dialog's parameter ("strCaption")
  BStr property;     // the element's property; empty: formParam
  uint16_t getType = VT_EMPTY;  // what Get writes; VT_EMPTY: not in Get
  uint16_t setType = VT_EMPTY;  // Set's conversion; VT_EMPTY: not in Set
  int setStep = 0;              // order of application in Set
  // Reading and writing the element; by default its property named formParam.
  std::function<Variant(Control& element)> read;
  std::function<void(Control& element, const Variant& converted)> write;
  // A write that runs the element's events more than once: it looks the
  // element up afresh for each use, as an event may unload or replace it.
  std::function<void(const std::function<Control&()>& element, const Variant& converted)> writeEach;
};

// A Set step that runs whether or not a parameter was passed.
struct FamilyStep {
  int setStep = 0;
  std::function<void(Control& element)> run;
};

struct FamilySpec {
  BStr family;      // "Command": LoadCommand, UnloadCommand, ...
  BStr arrayName;   // "Command"
  BStr classWord;   // "CommandButton", for the descriptions
  BStr getName;     // default "Get" + family
  BStr setName;     // default "Set" + family
  BStr loadName;    // default "Load" + family
  BStr unloadName;  // default "Unload" + family
  BStr objectName;  // default family + "Object"; "" for none
  std::vector<FamilyProperty> properties;  // in parameter order
  int zOrderStep = 0;
  std::vector<FamilyStep> alwaysSteps;
  bool hasContainer = true;  // the Load member takes a container index
  // The Object member hands out a user-control element as the user control
  // itself (UserControlObject), without the members the form adds.
  bool objectIsUserControl = false;
};

// Declares the five members of a family on `ci` (a form class whose objects
// are Forms). Every parameter is by reference; all but Index optional.
void declareFamily(ClassInfo& ci, const FamilySpec& spec);

// Member names and descriptions of a family, for the scripting object.
BStr familyMemberName(const FamilySpec& spec, BStrView which);  // "Load", "Unload", "Get", "Set", "Object"
BStr familyDescription(const FamilySpec& spec, BStrView which);
// The one sentence form of the descriptions, for a family's class word
// ("CommandButton", "Dropdown list ComboBox").
BStr familyDescription(BStrView classWord, BStrView which);

// The pieces of the pattern, usable by families with members of their own.
struct FamilyOut {
  Variant& number;
  Variant& description;
};
// Load: -1 (16-bit) or the new index (32-bit).
Variant familyLoad(Form& form, const FamilySpec& spec, Variant& pictureContainerIndex, const FamilyOut& out);
void familyUnload(Form& form, const FamilySpec& spec, Variant& index, const FamilyOut& out);
// The form a family member runs on (`self` of a member declared by
// declareFamily); std::bad_cast for an object that is not a Form.
Form& familyForm(Object& self);
// The existence probe: the element, or null with the failure reported.
Control* familyProbe(Form& form, const FamilySpec& spec, Variant& index, const FamilyOut& out);

// Rows of the table. The geometry rows Left, Top, Width, Height (Singles)
// take the steps first, first + 1, ...
FamilyProperty prop(BStr formParam, BStr scriptParam, uint16_t type, int setStep, BStr property = {});
FamilyProperty getOnly(BStr formParam, BStr scriptParam, uint16_t type);
std::vector<FamilyProperty> geometry(int firstStep);
std::vector<FamilyProperty> rows(std::initializer_list<std::vector<FamilyProperty>> parts);

}  // namespace svx
