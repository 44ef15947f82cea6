select "x"\n,	bfrom t

where •\ = '¶Å' 