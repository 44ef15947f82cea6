strSQL += "select a ";
strSQL += "from •\\" ";
