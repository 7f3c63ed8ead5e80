// Writes, into the folder given as argument, the stacks ImageJ makes of its
// own: 8-bit, 16-bit, 32-bit (float), RGB and signed 16-bit, each 5 x 4 x 3
// voxels of 0.3 x 0.35 x 1.5 microns with the values value(x, y, z) below.
dir = getArgument();
types = newArray("8-bit", "16-bit", "32-bit", "RGB", "signed");
for (t = 0; t < types.length; t++) {
  type = types[t];
  if (type == "signed") newImage("s", "16-bit black", 5, 4, 3);
  else newImage("s", type + " black", 5, 4, 3);
  if (type == "signed")
    run("Calibrate...", "function=[Straight Line] unit=[Gray Value] text1=[0 65535] text2=[-32768 32767]");
  for (z = 1; z <= 3; z++) {
    setSlice(z);
    for (y = 0; y < 4; y++) {
      for (x = 0; x < 5; x++) {
        v = 1 + x + 10 * y + 50 * z;
        if (type == "16-bit") v = v * 331;
        if (type == "32-bit") v = v * 1000 - 70000.25;
        if (type == "RGB") v = (v << 16) + ((v + 1) << 8) + (v + 2);
        if (type == "signed") v = 32768 - 2000 + v * 13;
        setPixel(x, y, v);
      }
    }
  }
  setVoxelSize(0.3, 0.35, 1.5, "micron");
  saveAs("Tiff", dir + "/imagej-" + type + ".tif");
  close();
}
