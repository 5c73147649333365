// Refs, VBArray and Missing without any automation class.
function check(cond, what) { if (!cond) throw new Error("failed: " + what); }
var r = new Ref(41);
check(r + 1 === 42 && r.vartype === 3, "Ref arithmetic");
r.value = "text";
check(r.vartype === 8 && String(r) === "text", "Ref text");
var a = VBArray.from([1, "two", null]);
check(a.dimensions() === 1 && a.ubound() === 2 && a.getItem(1) === "two" && a.getItem(2) === null, "VBArray");
var b = VBArray.from([0, 255], "Byte");
check(b.toArray().join() === "0,255", "Byte array");
var overflow = false;
try { VBArray.from([256], "Byte"); } catch (e) { overflow = (e.number & 0xFFFF) === 6; }
check(overflow, "Byte overflow");
check(typeof Missing === "object", "Missing");
WScript.Echo("ok");
