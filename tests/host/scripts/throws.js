function fail() {
  // the line of the throw is reported

  throw new Error("thrown on purpose");
}
fail();
