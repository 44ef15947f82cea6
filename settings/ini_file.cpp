// placeholder until this subject lands
